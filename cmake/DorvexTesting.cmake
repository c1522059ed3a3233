# Helpers shared by the test folders.
if(CMAKE_CROSSCOMPILING)
  # No GoogleTest is installed for the target: build Debian's sources of it (package googletest),
  # without this project's warning set.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock gmock_main)
    set_target_properties(${lib} PROPERTIES COMPILE_OPTIONS -w)
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()

# dorvex_add_gtest(NAME SOURCES... [LIBS libs...] [LOCK_PORT_6900] [OFFSCREEN])
# LOCK_PORT_6900 serialises tests that capture port 6900 on loopback; OFFSCREEN runs the tests on
# Qt's offscreen platform. Tests find the source tree through DORVEX_SOURCE_DIR (a compile
# definition: gtest_discover_tests cannot pass more than one environment variable).
function(dorvex_add_gtest name)
  cmake_parse_arguments(ARG "LOCK_PORT_6900;OFFSCREEN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE DORVEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set(props "")
  if(ARG_LOCK_PORT_6900)
    list(APPEND props RESOURCE_LOCK port6900)
  endif()
  if(ARG_OFFSCREEN)
    list(APPEND props ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  # Under Wine a program's first start takes seconds.
  set(timeout 5)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(timeout 120)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES DISCOVERY_TIMEOUT ${timeout}
                       PROPERTIES ${props})
endfunction()
