# Cross toolchain for Windows x64 (x86_64-w64-mingw32) with Debian's MinGW-w64 (the -posix
# compilers, whose threads are the C++ standard's) and Wine to run what it builds:
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/windows-x64.toolchain.cmake \
#     -DDORVEX_WINDOWS_PREFIX="$HOME/.cache/dorvex/windows/qt;$HOME/.cache/dorvex/windows/prefix"
# DORVEX_WINDOWS_PREFIX (a CMake list, or the environment variable of the same name with ';' or
# ':' between folders) names the installed Windows libraries (Qt, SQLite, libpcap) that
# find_package, find_library and find_path look in; scripts/windows.sh builds them into
# ${XDG_CACHE_HOME:-$HOME/.cache}/dorvex/windows/. Without it, only the MinGW runtime is found.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(DORVEX_WINDOWS_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DORVEX_WINDOWS_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DORVEX_WINDOWS_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DORVEX_WINDOWS_TRIPLE}-windres)

# The prefixes of the Windows libraries: the cache variable, else the environment.
if(NOT DEFINED DORVEX_WINDOWS_PREFIX AND DEFINED ENV{DORVEX_WINDOWS_PREFIX})
  string(REPLACE ":" ";" _dorvex_prefix "$ENV{DORVEX_WINDOWS_PREFIX}")
  set(DORVEX_WINDOWS_PREFIX "${_dorvex_prefix}" CACHE STRING
    "Folders of the installed Windows libraries (Qt, SQLite, libpcap)")
endif()
# try_compile projects get their own copy of the toolchain: hand the prefixes on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DORVEX_WINDOWS_PREFIX)

# The MinGW runtime's folder beside the compiler (bin/../x86_64-w64-mingw32).
find_program(_dorvex_cxx_path ${CMAKE_CXX_COMPILER} NO_CACHE)
if(_dorvex_cxx_path)
  get_filename_component(_dorvex_bin "${_dorvex_cxx_path}" DIRECTORY)
  get_filename_component(_dorvex_mingw "${_dorvex_bin}/../${DORVEX_WINDOWS_TRIPLE}" ABSOLUTE)
endif()

set(CMAKE_FIND_ROOT_PATH ${DORVEX_WINDOWS_PREFIX} ${_dorvex_mingw})
# Libraries, headers and CMake packages only from the Windows folders; programs from the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config: the .pc files of the Windows folders only, never the host's (an empty
# PKG_CONFIG_LIBDIR would mean the host's default).
set(_dorvex_pc "")
foreach(_dorvex_dir IN LISTS DORVEX_WINDOWS_PREFIX _dorvex_mingw)
  list(APPEND _dorvex_pc "${_dorvex_dir}/lib/pkgconfig")
endforeach()
if(NOT _dorvex_pc)
  set(_dorvex_pc "${CMAKE_CURRENT_LIST_DIR}/no-host-pkgconfig")
endif()
list(JOIN _dorvex_pc ":" _dorvex_pc)
set(ENV{PKG_CONFIG_LIBDIR} "${_dorvex_pc}")
set(ENV{PKG_CONFIG_PATH} "")

# Programs built here run under Wine (Debian's wine64, or the wine package's launcher), so CTest
# and custom commands can run them; Dorvex's own build names scripts/windows/wine-run instead.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(DORVEX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(DORVEX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${DORVEX_WINE}")
  endif()
endif()
