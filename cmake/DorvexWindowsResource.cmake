# dorvex_windows_resource(TARGET DESCRIPTION): on Windows, gives the program TARGET the Dorvex icon
# and a version resource (its version is the project's); elsewhere nothing.
function(dorvex_windows_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(DORVEX_RC_NAME ${target})
  set(DORVEX_RC_FILE ${target}.exe)
  set(DORVEX_RC_DESCRIPTION "${description}")
  set(DORVEX_RC_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/dorvex.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
