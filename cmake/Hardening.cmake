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
add_link_options(-Wl,-z,relro -Wl,-z,now)
