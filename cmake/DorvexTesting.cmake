# Helpers shared by the test folders.
find_package(GTest REQUIRED)

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
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES PROPERTIES ${props})
endfunction()
