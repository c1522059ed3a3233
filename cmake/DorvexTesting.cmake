# Helpers shared by the test folders.
find_package(GTest REQUIRED)

# dorvex_add_gtest(NAME SOURCES... [LIBS libs...] [LOCK_PORT_6900] [OFFSCREEN])
# LOCK_PORT_6900 serialises tests that capture port 6900 on loopback; OFFSCREEN runs the tests on
# Qt's offscreen platform.
function(dorvex_add_gtest name)
  cmake_parse_arguments(ARG "LOCK_PORT_6900;OFFSCREEN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set(props "")
  if(ARG_LOCK_PORT_6900)
    list(APPEND props RESOURCE_LOCK port6900)
  endif()
  set(env "DORVEX_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  if(ARG_OFFSCREEN)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ${props} ENVIRONMENT "${env}")
endfunction()
