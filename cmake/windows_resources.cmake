# The tool's icon and version information for each Windows program.

set(PARLAVOX_ICON_FILE
  ${PROJECT_SOURCE_DIR}/window/icon/parlavox-localization-tool.ico)

# Gives the program `target` the tool's icon and a VERSIONINFO resource with
# the build's version, the file description `description` and the target's
# name as the original file name.
function(parlavox_program_resources target description)
  set(PARLAVOX_PROGRAM ${target})
  set(PARLAVOX_FILE_DESCRIPTION "${description}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-program.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program_resources.rc.in ${rc}
    @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres reads the icon when it compiles the resources.
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS ${PARLAVOX_ICON_FILE})
endfunction()
