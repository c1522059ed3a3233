# dorvex_add_subfolders(): adds every subfolder of the current folder that has a CMakeLists.txt, in
# name order, so that each subsystem keeps its tests, benchmarks, fuzz targets and tools apart.
function(dorvex_add_subfolders)
  file(GLOB subfolders LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT subfolders)
  foreach(sub IN LISTS subfolders)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${sub}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()
