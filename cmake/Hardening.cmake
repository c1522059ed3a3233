# Hardening of every program: fortified libc calls (which need optimisation), stack protector,
# position-independent executables, full RELRO and immediate binding. The sanitizer and fuzz
# builds keep their own instrumentation instead.
set(DORVEX_HARDENED OFF)
if(DORVEX_SANITIZE OR DORVEX_FUZZ)
  return()
endif()
set(DORVEX_HARDENED ON)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
add_compile_options(-fstack-protector-strong -fstack-clash-protection
                    "$<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>")
if(WIN32)
  # Address space layout randomisation (64-bit) and no execution from data pages. MinGW's stack
  # protector and fortified calls live in libssp: linked in, so that no extra DLL ships.
  add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libssp.a
                  OUTPUT_VARIABLE _dorvex_libssp OUTPUT_STRIP_TRAILING_WHITESPACE)
  link_libraries(${_dorvex_libssp})
else()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
