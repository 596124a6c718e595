# Runs the built parlavox-lngc as a user would and checks its exit statuses,
# its output and the bytes it writes. Called with -DLNGC=program -DWORK=folder
# and, for a program built for another system, -DRUNNER=its emulator.

string(ASCII 13 CR)
set(LF "\n")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(expect_run expected_status expected_stderr)
  execute_process(COMMAND ${RUNNER} "${LNGC}" ${ARGN}
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL expected_status)
    message(FATAL_ERROR "${ARGN}: exit ${status}, expected ${expected_status}")
  endif()
  if(NOT err STREQUAL expected_stderr)
    message(FATAL_ERROR "${ARGN}: stderr '${err}', expected '${expected_stderr}'")
  endif()
endfunction()

file(WRITE "${WORK}/langDeutsch.txt" "Charset | 238${CR}${LF}0 | Hallo${CR}${LF}")
expect_run(0 "" langDeutsch.txt)
file(READ "${WORK}/LangDeutsch.lng" written HEX)
if(NOT written STREQUAL "3233380d0a48616c6c6f0d0a")
  message(FATAL_ERROR "LangDeutsch.lng holds ${written}")
endif()

file(WRITE "${WORK}/langBad.txt" "0 | a${LF}0 | b${LF}")
expect_run(1 "langBad.txt:2: double entry for line number 0${LF}" langBad.txt)

file(REMOVE "${WORK}/LangDeutsch.lng")
expect_run(0 "" --check langDeutsch.txt)
if(EXISTS "${WORK}/LangDeutsch.lng")
  message(FATAL_ERROR "--check wrote LangDeutsch.lng")
endif()

expect_run(2 "parlavox-lngc: unknown option '--nope' (see parlavox-lngc --help)${LF}" --nope)

# A UTF-8 source: a warning, written all the same; under --strict, a failure.
file(WRITE "${WORK}/langUtf8.txt" "0 | Größe${LF}")
set(utf8_warning "langUtf8.txt:1: warning: the file is saved as UTF-8, but without a Charset line it is read in Windows-1252 (ANSI, on a Western system): save it in that code page${LF}")
expect_run(0 "${utf8_warning}" langUtf8.txt)
if(NOT EXISTS "${WORK}/LangUtf8.lng")
  message(FATAL_ERROR "a warning kept LangUtf8.lng from being written")
endif()
file(REMOVE "${WORK}/LangUtf8.lng")
expect_run(1 "${utf8_warning}langUtf8.txt: not written: 1 warning under --strict${LF}" --strict langUtf8.txt)
if(EXISTS "${WORK}/LangUtf8.lng")
  message(FATAL_ERROR "--strict wrote LangUtf8.lng")
endif()

# --update appends what the reference has beyond the source, with the
# source's own line ends, and compiles nothing.
file(WRITE "${WORK}/langEnglish.txt" "Charset | 0${LF}0 | Hello${LF}1 | Bye // farewell${LF}")
file(WRITE "${WORK}/langUpdate.txt" "0 | Hallo${LF}")
expect_run(0 "" --update --reference langEnglish.txt langUpdate.txt)
file(READ "${WORK}/langUpdate.txt" updated)
set(expected "0 | Hallo${LF}// New in the reference, to be translated:${LF}1 | Bye // farewell${LF}")
if(NOT updated STREQUAL expected)
  message(FATAL_ERROR "langUpdate.txt holds '${updated}'")
endif()
if(EXISTS "${WORK}/LangUpdate.lng")
  message(FATAL_ERROR "--update wrote LangUpdate.lng")
endif()
expect_run(2 "parlavox-lngc: --update needs --reference (see parlavox-lngc --help)${LF}" --update langUpdate.txt)

# A name outside any single code page goes from the command line to the file
# and into the message unchanged (on Windows through the wide command line).
file(WRITE "${WORK}/langРусский.txt" "0 | a${LF}")
expect_run(0 "langРусский.txt: warning: without a Charset line the file is read as Western European, but Russian is written in Charset 204 (Cyrillic)${LF}"
  langРусский.txt)
file(READ "${WORK}/LangРусский.lng" written HEX)
if(NOT written STREQUAL "0d0a610d0a")
  message(FATAL_ERROR "LangРусский.lng holds ${written}")
endif()
expect_run(1 "langРусскийX.txt: File langРусскийX.txt not found in this directory${LF}"
  langРусскийX.txt)
