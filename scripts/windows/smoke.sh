# Phase "smoke" of scripts/windows.sh (sourced): the self-check. scripts/windows/smoke/ (a window
# with a Japanese label and a button) is cross-built with cmake/windows-x64.toolchain.cmake against
# the cached Qt, laid out as a Windows program folder (the exe, the Qt and MinGW runtime DLLs,
# platforms/qwindows.dll, styles/), run under Wine in a private Wine prefix on Xvfb, and a
# screenshot of the screen kept as smoke.png in the cache.

# The Wine prefix of these phases, in the cache; no Mono or Gecko installers on its first start.
win_wine_env() {
  export WINEPREFIX=$win_cache/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
}

# win_wine_fonts PHASE: Japanese text needs a font with its glyphs: Wine's font replacements point
# the Windows UI fonts that Qt falls back to for Japanese at Noto Sans CJK JP (fonts-noto-cjk).
win_wine_fonts() {
  local phase=$1 family
  for family in "MS UI Gothic" "MS Gothic" "MS PGothic" "Meiryo" "Meiryo UI" "Yu Gothic" \
    "Yu Gothic UI"; do
    win_run "$phase" "font replacement: $family" wine reg add \
      'HKCU\Software\Wine\Fonts\Replacements' /v "$family" /t REG_SZ /d "Noto Sans CJK JP" /f
  done
}

# win_wine_prefix PHASE STEP: the Wine prefix ready to run programs (win_wine_env): made on first
# use (STEP is that step's progress text), with its Japanese fonts.
win_wine_prefix() {
  local phase=$1 step=$2
  win_wine_env
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    win_run "$phase" "$step a Wine prefix in $WINEPREFIX/ (first start of Wine: slow)" wineboot --init
  fi
  if [[ ! -f $WINEPREFIX/dorvex-fonts ]]; then
    win_wine_fonts "$phase"
    touch "$WINEPREFIX/dorvex-fonts"
  fi
}

# win_runtime_dll NAME: the path of a MinGW runtime DLL (libstdc++-6.dll...), as the compiler finds it.
win_runtime_dll() {
  local path
  path=$(x86_64-w64-mingw32-g++-posix -print-file-name="$1")
  [[ $path == /* && -f $path ]] || return 1
  echo "$path"
}

win_phase_smoke() {
  local phase=smoke build=$win_build/smoke app dll multiarch shot=$win_cache/smoke.png out
  win_done "$phase" && return 0
  [[ -f $win_qt/lib/cmake/Qt6/Qt6Config.cmake ]] || win_fail "$phase" "no Qt in $win_qt (run the qtbase phase)"
  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
  app=$build/app
  win_begin "$phase" "a Qt Widgets program built with the toolchain file, run under Wine"
  rm -rf "$build"
  win_run "$phase" "[1/5] configure (cmake, cmake/windows-x64.toolchain.cmake)" \
    cmake -S scripts/windows/smoke -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$win_toolchain" -DDORVEX_WINDOWS_PREFIX="$win_qt;$win_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake"
  win_say "$phase" "[2/5] build"
  win_build "$phase" "$build"
  win_say "$phase" "[3/5] the program's folder: $app/"
  mkdir -p "$app/platforms" "$app/styles"
  cp "$build/smoke.exe" "$app/"
  cp "$win_qt"/bin/Qt6{Core,Gui,Widgets}.dll "$app/"
  cp "$win_qt/plugins/platforms/qwindows.dll" "$app/platforms/"
  cp "$win_qt/plugins/styles/qwindowsvistastyle.dll" "$app/styles/"
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(win_runtime_dll "$dll")" "$app/" || win_fail "$phase" "MinGW runtime $dll not found"
  done
  win_wine_prefix "$phase" "[4/5]"
  win_say "$phase" "[5/5] run under Wine on Xvfb, screenshot into $shot"
  out=$win_logs/smoke-run.log
  rm -f "$shot"
  # The program says when its window is shown; the screenshot follows a moment later.
  xvfb-run -a -s "-screen 0 640x360x24" bash -c '
    wine "$1/smoke.exe" 30000 >"$2" 2>&1 &
    for ((i = 0; i < 240; i++)); do grep -q "smoke: shown" "$2" && break; sleep 1; done
    sleep 4
    import -window root "$3"
    wait' _ "$app" "$out" "$shot" >>"$win_logs/$phase.log" 2>&1 || true
  cat "$out" >>"$win_logs/$phase.log"
  grep -q "smoke: shown" "$out" || win_fail "$phase" "the program did not show its window under Wine"
  [[ -s $shot ]] || win_fail "$phase" "no screenshot taken"
  win_say "$phase" "$(grep "smoke: shown" "$out")"
  win_stamp "$phase"
}
