# Runs a Google Benchmark program briefly and fails unless it reported at least one benchmark and
# every one ran at least one iteration in a positive, finite real time without an error.
#
#   cmake -DBENCHMARK=<program> -DOUTPUT=<json file> -P check_benchmark.cmake
cmake_minimum_required(VERSION 3.25)

# True in `result` when `value` is a JSON number above zero (no NaN or infinity).
function(is_positive_number value result)
  string(REGEX REPLACE "[eE][-+]?[0-9]+$" "" mantissa "${value}")
  if(value MATCHES "^[0-9]+(\\.[0-9]+)?([eE][-+]?[0-9]+)?$" AND mantissa MATCHES "[1-9]")
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

foreach(variable BENCHMARK OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "check_benchmark: -D${variable}= is missing")
  endif()
endforeach()

file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND "${BENCHMARK}" --benchmark_min_time=0.01 --benchmark_format=json
          "--benchmark_out=${OUTPUT}"
  RESULT_VARIABLE status
  OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${BENCHMARK} ended with ${status}")
endif()
if(NOT EXISTS "${OUTPUT}")
  message(FATAL_ERROR "${BENCHMARK} wrote no ${OUTPUT}")
endif()

file(READ "${OUTPUT}" report)
string(JSON count ERROR_VARIABLE problem LENGTH "${report}" benchmarks)
if(problem)
  message(FATAL_ERROR "${OUTPUT}: ${problem}")
endif()
if(count EQUAL 0)
  message(FATAL_ERROR "${BENCHMARK} ran no benchmark")
endif()

math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  string(JSON name GET "${report}" benchmarks ${index} name)
  string(JSON failed ERROR_VARIABLE absent GET "${report}" benchmarks ${index} error_occurred)
  if(NOT absent AND failed)
    string(JSON why ERROR_VARIABLE absent GET "${report}" benchmarks ${index} error_message)
    message(FATAL_ERROR "${name}: error: ${why}")
  endif()
  foreach(field iterations real_time)
    string(JSON value ERROR_VARIABLE absent GET "${report}" benchmarks ${index} ${field})
    is_positive_number("${value}" positive)
    if(absent OR NOT positive)
      message(FATAL_ERROR "${name}: ${field} is '${value}', not a positive finite number")
    endif()
  endforeach()
  message(STATUS "${name}: real_time ${value}")
endforeach()
