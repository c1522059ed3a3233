# Phase "qtcharts" of scripts/windows.sh (sourced): Qt Charts 6.4.2 from Debian's qt6-charts
# source, configured against the cached qtbase (found through the toolchain file's prefixes) with
# Debian's host tools, and installed beside it in the cache's qt/.

win_phase_qtcharts() {
  local phase=qtcharts src build=$win_build/qtcharts multiarch
  win_done "$phase" && return 0
  [[ -f $win_qt/lib/cmake/Qt6/Qt6Config.cmake ]] ||
    win_fail "$phase" "no qtbase in $win_qt (run the qtbase phase)"
  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
  win_begin "$phase" "building Qt Charts for Windows into $win_qt/"
  win_fetch_source "$phase" "$win_qtcharts_source"
  src=$(win_source_dir "$win_qtcharts_source")
  if [[ ! -f $build/build.ninja ]]; then
    rm -rf "$build"
    win_run "$phase" "configure (cmake, against $win_qt/)" \
      cmake -S "$src" -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$win_toolchain" -DDORVEX_WINDOWS_PREFIX="$win_qt" \
      -DCMAKE_INSTALL_PREFIX="$win_qt" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake" \
      -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  fi
  win_build "$phase" "$build"
  win_run "$phase" "install into $win_qt/" cmake --install "$build"
  win_stamp "$phase"
}
