# Phase "qtbase" of scripts/windows.sh (sourced): Qt 6.4.2's qtbase from Debian's source, built for
# x86_64-w64-mingw32 with cmake/windows-x64.toolchain.cmake and installed into the cache's qt/.
# The host tools (moc, rcc, uic...) are Debian's own of the same version (QT_HOST_PATH). Modules:
# Core, Gui, Widgets, OpenGL, OpenGLWidgets, Test; plugins: qwindows (and
# Qt's other platform plugins), the windowsvista style, the image formats. Third-party libraries
# are Qt's bundled copies; what Dorvex does not use (sql, network, dbus, xml, printsupport,
# concurrent) is left out.

win_qtbase_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DQT_BUILD_MANUAL_TESTS=OFF
  # Qt's bundled third-party libraries, not the host's.
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF
  -DFEATURE_directwrite=ON
  # OpenGL loaded at run time (the qwindows plugin of 6.4.2 does not compile without OpenGL).
  -DFEATURE_opengl=ON -DFEATURE_opengl_dynamic=ON -DFEATURE_opengl_desktop=OFF
  -DFEATURE_vulkan=OFF
  # Debian's source has no wintab header.
  -DFEATURE_tabletevent=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
)

win_phase_qtbase() {
  local phase=qtbase src build=$win_build/qtbase multiarch
  win_done "$phase" && return 0
  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
  win_begin "$phase" "building Qt's qtbase for Windows into $win_qt/ (long: an hour or more)"
  win_fetch_source "$phase" "$win_qtbase_source"
  src=$(win_source_dir "$win_qtbase_source")
  if [[ ! -f $build/build.ninja ]]; then
    rm -rf "$build"
    mkdir -p "$build"
    win_run "$phase" "configure (cmake)" cmake -S "$src" -B "$build" -G Ninja -Wno-dev \
      -DCMAKE_TOOLCHAIN_FILE="$win_toolchain" -DCMAKE_INSTALL_PREFIX="$win_qt" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake" \
      "${win_qtbase_options[@]}"
  fi
  win_build "$phase" "$build"
  win_run "$phase" "install into $win_qt/" cmake --install "$build"
  win_stamp "$phase"
}
