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
set(CPACK_PACKAGE_FILE_NAME
  "parlavox-localization-tool-${PROJECT_VERSION}-win64")
# The files lie at the top of the zip, so that they land in the folder the
# translator unpacks into.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
