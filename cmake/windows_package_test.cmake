# Checks the Windows zip as a translator gets it: exactly the two programs,
# the two samples as they are in the sources and README.txt with CR LF line
# ends, at the top of the zip; and programs that need no DLL but Windows'
# own. Called with -DZIP=zip -DWORK=folder -DSAMPLES=folder -DOBJDUMP=program.

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(ARCHIVE_EXTRACT INPUT "${ZIP}" DESTINATION "${WORK}")
file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE "${WORK}" "${WORK}/*")
list(SORT files)
set(expected README.txt langDeutsch.txt langEnglish.txt parlavox-lngc.exe
  parlavox-localization-tool.exe)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "the zip holds '${files}', not '${expected}'")
endif()

foreach(sample langDeutsch.txt langEnglish.txt)
  file(SHA256 "${WORK}/${sample}" packed)
  file(SHA256 "${SAMPLES}/${sample}" source)
  if(NOT packed STREQUAL source)
    message(FATAL_ERROR "${sample} in the zip differs from the sample")
  endif()
endforeach()

file(READ "${WORK}/README.txt" readme HEX)
string(REGEX MATCHALL "(..)" bytes "${readme}")
set(previous "")
set(lines 0)
foreach(byte IN LISTS bytes)
  if(byte STREQUAL "0a")
    if(NOT previous STREQUAL "0d")
      message(FATAL_ERROR "README.txt has a line that ends in LF alone")
    endif()
    math(EXPR lines "${lines} + 1")
  elseif(previous STREQUAL "0d")
    message(FATAL_ERROR "README.txt has a CR without LF")
  endif()
  set(previous "${byte}")
endforeach()
if(lines LESS 10 OR NOT previous STREQUAL "0a")
  message(FATAL_ERROR "README.txt has ${lines} lines and does not end in CR LF")
endif()

set(windows_own COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL
  USER32.DLL)
foreach(program parlavox-lngc.exe parlavox-localization-tool.exe)
  execute_process(COMMAND "${OBJDUMP}" -p "${WORK}/${program}"
    OUTPUT_VARIABLE headers RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${program}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
  if(NOT imports)
    message(FATAL_ERROR "${program} imports no DLL: not a Windows program?")
  endif()
  foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOUPPER "${dll}" dll)
    if(NOT dll IN_LIST windows_own)
      message(FATAL_ERROR "${program} needs ${dll}, which Windows does not bring")
    endif()
  endforeach()
endforeach()
