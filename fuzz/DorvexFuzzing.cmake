# dorvex_add_fuzzer(NAME SOURCES src... [LIBS lib...] CORPUS dir [SECONDS n])
#   ${NAME}_fuzzer       the libFuzzer target (DORVEX_FUZZ, clang only); scripts/fuzz.sh runs it for
#                        SECONDS (default 30) on a copy of CORPUS.
#   ${NAME}_fuzz_replay  the same target run once over every file of CORPUS (any compiler), and
#                        the CTest test of that name, so that every build replays the seed corpus.
# The SOURCES define LLVMFuzzerTestOneInput.
set(DORVEX_FUZZ_MANIFEST ${CMAKE_BINARY_DIR}/fuzz/fuzzers.tsv)
set_property(GLOBAL PROPERTY DORVEX_FUZZERS "")
if(DORVEX_FUZZ AND NOT TARGET dorvex_fuzzers)
  add_custom_target(dorvex_fuzzers)
endif()

function(dorvex_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_CORPUS OR NOT ARG_SOURCES)
    message(FATAL_ERROR "dorvex_add_fuzzer(${name}): SOURCES and CORPUS are required")
  endif()
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 30)
  endif()
  get_filename_component(corpus ${ARG_CORPUS} ABSOLUTE)

  if(DORVEX_FUZZ)
    add_executable(${name}_fuzzer ${ARG_SOURCES})
    target_compile_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer)
    target_link_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name}_fuzzer PRIVATE ${ARG_LIBS})
    add_dependencies(dorvex_fuzzers ${name}_fuzzer)
    set_property(GLOBAL APPEND PROPERTY DORVEX_FUZZERS
      "${name}\t${CMAKE_CURRENT_BINARY_DIR}/${name}_fuzzer\t${corpus}\t${ARG_SECONDS}")
  endif()

  add_executable(${name}_fuzz_replay ${ARG_SOURCES} ${DORVEX_FUZZ_DIR}/replay_main.cpp)
  target_link_libraries(${name}_fuzz_replay PRIVATE ${ARG_LIBS} Qt6::Core)
  add_test(NAME ${name}_fuzz_replay COMMAND ${name}_fuzz_replay ${corpus})
endfunction()

# Writes the list of fuzzers that scripts/fuzz.sh runs: name, program, corpus, seconds.
function(dorvex_write_fuzz_manifest)
  get_property(fuzzers GLOBAL PROPERTY DORVEX_FUZZERS)
  list(JOIN fuzzers "\n" lines)
  file(WRITE ${DORVEX_FUZZ_MANIFEST} "${lines}\n")
endfunction()
