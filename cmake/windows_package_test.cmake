# Checks the Windows zip as a translator gets it: exactly the two programs,
# the two samples as they are in the sources and README.txt with CR LF line
# ends, at the top of the zip; and programs that need no DLL but Windows'
# own, each with the tool's icon and its version information, the window with
# a manifest for long paths. Called with -DZIP=zip -DWORK=folder
# -DSAMPLES=folder -DOBJDUMP=program -DWRESTOOL=program -DICOTOOL=program
# -DVERSION=x.y -DVERSION_MAJOR=x -DVERSION_MINOR=y.

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

# Resources read from the programs go beside the unpacked zip.
file(REMOVE_RECURSE "${WORK}.resources")
file(MAKE_DIRECTORY "${WORK}.resources")

# `text` (ASCII) as the hex of its UTF-16LE bytes, as resources hold it.
function(utf16_hex text out)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# The hex of a 32-bit number as little-endian bytes.
function(dword_hex value out)
  math(EXPR value "${value}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${value}" 2 -1 digits)
  string(LENGTH "${digits}" length)
  math(EXPR pad "8 - ${length}")
  string(REPEAT "0" ${pad} zeros)
  set(digits "${zeros}${digits}")
  set(hex "")
  foreach(at 6 4 2 0)
    string(SUBSTRING "${digits}" ${at} 2 byte)
    string(APPEND hex "${byte}")
  endforeach()
  string(TOLOWER "${hex}" hex)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# The bytes of the resource of `type` and id 1 in `program`, as hex.
function(resource_hex program type out)
  set(file "${WORK}.resources/${program}.${type}.res")
  execute_process(COMMAND "${WRESTOOL}" -x --raw --type=${type} --name=1
    --output=${file} "${WORK}/${program}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT EXISTS "${file}")
    message(FATAL_ERROR "${program} has no resource ${type} 1")
  endif()
  file(READ "${file}" hex HEX)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# The fixed part of the version information: its signature and structure
# version, then the file's and the product's version as major.minor.0.0.
math(EXPR version_high "(${VERSION_MAJOR} << 16) | ${VERSION_MINOR}")
dword_hex(${version_high} version_high)
set(fixed_version "bd04effe00000100${version_high}00000000${version_high}00000000")

set(parlavox-lngc.exe_description
  "Parlavox language compiler for the command line")
set(parlavox-localization-tool.exe_description "Parlavox Localization Tool")
foreach(program parlavox-lngc.exe parlavox-localization-tool.exe)
  # The icon Explorer shows: the first icon group, with an image for each
  # size drawn.
  execute_process(COMMAND "${WRESTOOL}" -x --type=group_icon --name=1
    --output=${WORK}.resources/${program}.ico "${WORK}/${program}" RESULT_VARIABLE status)
  execute_process(COMMAND "${ICOTOOL}" -l "${WORK}.resources/${program}.ico"
    OUTPUT_VARIABLE icons RESULT_VARIABLE icotool_status)
  string(REGEX MATCHALL "--width=[0-9]+ --height=[0-9]+" sizes "${icons}")
  set(drawn "--width=16 --height=16;--width=32 --height=32;--width=48 --height=48;--width=256 --height=256")
  if(NOT status EQUAL 0 OR NOT icotool_status EQUAL 0 OR NOT sizes STREQUAL drawn)
    message(FATAL_ERROR "${program}'s icon has the images '${sizes}'")
  endif()

  resource_hex(${program} version version)
  string(FIND "${version}" "${fixed_version}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${program}'s version is not ${VERSION}.0.0")
  endif()
  foreach(value "ProductName" "Parlavox Localization Tool" "ProductVersion"
      "FileDescription" "${${program}_description}" "FileVersion" "${VERSION}"
      "OriginalFilename" "${program}")
    utf16_hex("${value}" hex)
    string(FIND "${version}" "${hex}0000" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${program}'s version information lacks '${value}'")
    endif()
  endforeach()
endforeach()

# The window's manifest lets it use paths of any length.
resource_hex(parlavox-localization-tool.exe 24 manifest)
string(HEX "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>" long_paths)
string(FIND "${manifest}" "${long_paths}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the window's manifest does not declare longPathAware")
endif()
