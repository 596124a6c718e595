# The Windows package: a zip that a translator unpacks into a folder of
# their own and runs from there. cpack makes it from the windows build.
install(FILES
  ${PROJECT_SOURCE_DIR}/samples/langDeutsch.txt
  ${PROJECT_SOURCE_DIR}/samples/langEnglish.txt
  DESTINATION .)

# Notepad on older systems shows LF-only text as one line.
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-windows.txt
  ${PROJECT_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/package/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME parlavox-localization-tool)
set(CPACK_PACKAGE_VENDOR "Parlavox translators")
set(PARLAVOX_WINDOWS_PACKAGE
  "parlavox-localization-tool-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_FILE_NAME ${PARLAVOX_WINDOWS_PACKAGE})
# The files lie at the top of the zip, so that they land in the folder the
# translator unpacks into.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(PARLAVOX_BUILD_TESTS)
  set(PARLAVOX_WINDOWS_ZIP ${PROJECT_BINARY_DIR}/${PARLAVOX_WINDOWS_PACKAGE}.zip)
  # icoutils, to read the programs' resources as Explorer would.
  find_program(WRESTOOL wrestool REQUIRED)
  find_program(ICOTOOL icotool REQUIRED)
  # The zip itself, for the tests that unpack it.
  add_test(NAME package.zip
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
  set_tests_properties(package.zip PROPERTIES FIXTURES_SETUP windows_zip)
  add_test(NAME package.contents
    COMMAND ${CMAKE_COMMAND} -DZIP=${PARLAVOX_WINDOWS_ZIP}
            -DWORK=${PROJECT_BINARY_DIR}/package/contents
            -DSAMPLES=${PROJECT_SOURCE_DIR}/samples
            -DOBJDUMP=${CMAKE_OBJDUMP}
            -DWRESTOOL=${WRESTOOL} -DICOTOOL=${ICOTOOL}
            -DVERSION=${PROJECT_VERSION}
            -DVERSION_MAJOR=${PROJECT_VERSION_MAJOR}
            -DVERSION_MINOR=${PROJECT_VERSION_MINOR}
            -P ${CMAKE_CURRENT_LIST_DIR}/windows_package_test.cmake)
  set_tests_properties(package.contents PROPERTIES FIXTURES_REQUIRED windows_zip)

  # The window as a translator uses it: from the unpacked zip, under Wine in
  # a private X server, driven by xdotool.
  find_program(XVFB Xvfb)
  find_program(XDOTOOL xdotool)
  find_program(XCLIP xclip)
  if(CMAKE_CROSSCOMPILING_EMULATOR AND XVFB AND XDOTOOL AND XCLIP)
    add_test(NAME window.wine
      COMMAND ${PROJECT_SOURCE_DIR}/window/win32/wine_test.sh
              ${PARLAVOX_WINDOWS_ZIP} $<TARGET_FILE:window_texts>)
    set_tests_properties(window.wine PROPERTIES
      FIXTURES_REQUIRED windows_zip TIMEOUT 180)
  endif()
endif()
