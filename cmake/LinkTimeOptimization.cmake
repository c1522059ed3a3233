# Link-time optimisation of the replay path. The libraries that handle every frame of a replay
# are compiled with GCC's link-time data beside their normal code (fat objects), and dorvex-cli
# is linked with it, so that the small per-frame and per-name functions are inlined across files.
# Every other program and test links the normal code, so that their builds take no longer.
# Linux's GCC build only: the sanitizer, fuzz and Windows builds are left as they are.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT WIN32 AND NOT DORVEX_SANITIZE AND NOT DORVEX_FUZZ)
  set(DORVEX_LTO ON)
  # Code made at link time is position-independent code as Qt requires of its users (-fPIC),
  # not executable code (-fPIE): that would copy Qt's data such as QCoreApplication::self into
  # the program, where Qt never sets it. The program stays a position-independent executable.
  set(CMAKE_CXX_LINK_OPTIONS_PIE -fPIC -pie)
else()
  set(DORVEX_LTO OFF)
endif()

# Compiles `target`'s sources with link-time data as well.
function(dorvex_link_time_objects target)
  if(DORVEX_LTO)
    target_compile_options(${target} PRIVATE -flto=auto -ffat-lto-objects)
  endif()
endfunction()

# Links `target` with link-time optimisation over the objects that carry its data.
function(dorvex_link_time_optimized target)
  if(DORVEX_LTO)
    target_link_options(${target} PRIVATE -flto=auto)
  endif()
endfunction()
