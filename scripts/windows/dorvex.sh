# Phases "dorvex" and "suite" of scripts/windows.sh (sourced), run every time (the build is
# incremental):
#   dorvex  Dorvex cross-built into build-windows/ against the cached Qt and SQLite, then the
#           release folder build-windows/release/dorvex-<version>-windows-x64/ (the programs, the
#           DLLs they load and no others, licences, README.txt) and its zip beside it.
#   suite   the Windows build's tests under Wine (scripts/windows/wine-run) with the capture-less
#           libpcap standing in for Npcap; then, without it, the checks that the programs say that
#           Npcap is missing, and a screenshot of the window as a Windows user sees it then.

win_dorvex_build=build-windows

# The version of the project (project() in CMakeLists.txt).
win_dorvex_version() {
  sed -n 's/^project(Dorvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}

# win_imported_dlls FILE: the DLLs FILE imports, one a line, in lower case.
win_imported_dlls() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'
}

# win_copy_dependencies PHASE FOLDER FILE...: copies into FOLDER every DLL that FILE (and what it
# copies, in turn) imports from the cached Qt and SQLite or the MinGW runtime; Windows' own DLLs
# stay out.
win_copy_dependencies() {
  local phase=$1 folder=$2 queue dll place found
  shift 2
  queue=("$@")
  local places=("$win_qt/bin" "$win_prefix/bin")
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    places+=("$(dirname "$(win_runtime_dll "$dll")")")
  done
  while ((${#queue[@]})); do
    for dll in $(win_imported_dlls "${queue[0]}"); do
      [[ -n $(find "$folder" -maxdepth 1 -iname "$dll" -print -quit) ]] && continue
      found=
      for place in "${places[@]}"; do
        found=$(find "$place" -maxdepth 1 -iname "$dll" -print -quit)
        [[ -n $found ]] && break
      done
      [[ -n $found ]] || continue  # a DLL of Windows itself
      cp "$found" "$folder/"
      queue+=("$folder/${found##*/}")
    done
    queue=("${queue[@]:1}")
  done
}

# win_release_readme: the README.txt of the release folder.
win_release_readme() {
  cat <<TEXT
Dorvex $1 for Windows (x64)
===========================

Dorvex records how many users are logged in on each world of the game: it listens on the network
adapter the game uses, recognises the login server's world list reply (TCP port 6900), shows every
world's count and the group, generation and grand totals, and writes the Japanese report that you
copy with one click. Counts can also be typed by hand. It sends nothing on the network.

Programs
  dorvex.exe       the window
  dorvex-cli.exe   the same report on the command line (dorvex-cli --help)

Capturing needs Npcap
  Install Npcap from https://npcap.com (its default options will do). Without it Dorvex still
  starts: the status line says that Npcap is missing, and typed counts and the report work.
  Dorvex loads Npcap only from its own folder in Windows' system folder.

Settings and history
  The settings file dorvex.ini and the count history dorvex.sqlite are kept beside dorvex.exe.
  Where that folder cannot be written (a copy under "Program Files"), they are kept in
  %APPDATA%\\Dorvex\\ instead. Deleting Dorvex's folder leaves that folder alone.

Licence
  Dorvex is free software under the GNU General Public License, version 3 or later
  (licenses\\COPYING.txt). It ships Qt (LGPL-3.0), SQLite (public domain) and the MinGW-w64
  runtime (GPL-3.0 with the GCC Runtime Library Exception; winpthreads: MIT): their licences are
  in the licenses folder.
TEXT
}

win_phase_dorvex() {
  local phase=dorvex build=$win_dorvex_build multiarch version name release dll
  [[ -f $win_qt/lib/cmake/Qt6/Qt6Config.cmake ]] || win_fail "$phase" "no Qt in $win_qt (run the qtbase phase)"
  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
  version=$(win_dorvex_version)
  name=dorvex-$version-windows-x64
  release=$build/release/$name
  win_begin "$phase" "Dorvex for Windows into $build/, released as $build/$name.zip"
  win_run "$phase" "[1/4] configure (cmake, cmake/windows-x64.toolchain.cmake)" \
    cmake -S . -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/windows-x64.toolchain.cmake" \
    -DDORVEX_WINDOWS_PREFIX="$win_qt;$win_prefix" -DDORVEX_WARNINGS_AS_ERRORS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/windows/wine-run"
  win_say "$phase" "[2/4] build"
  win_build "$phase" "$build"
  win_say "$phase" "[3/4] the release folder $release/"
  rm -rf "$build/release"
  mkdir -p "$release/platforms" "$release/styles" "$release/licenses"
  cp "$build/window/dorvex.exe" "$build/tools/dorvex-cli/dorvex-cli.exe" "$release/"
  cp "$win_qt/plugins/platforms/qwindows.dll" "$release/platforms/"
  cp "$win_qt/plugins/styles/qwindowsvistastyle.dll" "$release/styles/"
  win_copy_dependencies "$phase" "$release" "$release"/*.exe "$release/platforms/qwindows.dll" \
    "$release/styles/qwindowsvistastyle.dll"
  # Programs and DLLs without their symbols: the zip is for users.
  for dll in "$release"/*.exe "$release"/*.dll "$release"/*/*.dll; do
    x86_64-w64-mingw32-strip --strip-unneeded "$dll"
  done
  cp LICENSE "$release/licenses/COPYING.txt"
  cp "$(win_source_dir "$win_qtbase_source")"/LICENSES/{LGPL-3.0-only,GPL-3.0-only,GPL-2.0-only}.txt \
    "$release/licenses/"
  cp "$(win_source_dir "$win_qtbase_source")/debian/copyright" "$release/licenses/Qt-copyright.txt"
  cp "$(win_source_dir "$win_sqlite_source")/debian/copyright" "$release/licenses/SQLite-copyright.txt"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$release/licenses/GCC-runtime-copyright.txt"
  cp /usr/share/doc/mingw-w64-common/copyright "$release/licenses/MinGW-w64-copyright.txt"
  win_release_readme "$version" | sed 's/$/\r/' >"$release/README.txt"
  win_say "$phase" "[4/4] zip $build/$name.zip"
  rm -f "$build/$name.zip"
  (cd "$build/release" && zip -q -r -X "../$name.zip" "$name") || win_fail "$phase" "zip failed"
  win_say "$phase" "$build/$name.zip: $(du -h "$build/$name.zip" | cut -f1)," \
    "$(find "$release" -type f | wc -l) files"
}

# win_stand_in_npcap on|off: puts the capture-less libpcap where Npcap's wpcap.dll goes in the
# Wine prefix, or takes it away.
win_stand_in_npcap() {
  local folder=$WINEPREFIX/drive_c/windows/system32/Npcap
  if [[ $1 == on ]]; then
    mkdir -p "$folder"
    cp "$win_cache/wpcap-null/bin/wpcap.dll" "$folder/wpcap.dll"
  else
    rm -rf "$folder"
  fi
}

win_phase_suite() {
  local phase=suite build=$win_dorvex_build release out shot=$win_dorvex_build/dorvex-windows.png
  [[ -f $build/build.ninja ]] || win_fail "$phase" "no Windows build in $build/ (run the dorvex phase)"
  release=$(find "$build/release" -mindepth 1 -maxdepth 1 -type d -print -quit)
  win_begin "$phase" "the Windows build's tests under Wine"
  win_wine_env
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    win_run "$phase" "a Wine prefix in $WINEPREFIX/ (first start of Wine: slow)" wineboot --init
  fi
  if [[ ! -f $WINEPREFIX/dorvex-fonts ]]; then
    win_wine_fonts "$phase"
    touch "$WINEPREFIX/dorvex-fonts"
  fi
  win_stand_in_npcap on
  win_say "$phase" "[1/3] ctest in $build/ (libpcap without capture standing in for Npcap)"
  ctest --test-dir "$build" -j "$win_jobs" --output-on-failure >>"$win_logs/$phase.log" 2>&1 ||
    win_fail "$phase" "tests failed under Wine"
  win_say "$phase" "$(grep -E '^[0-9]+% tests passed' "$win_logs/$phase.log" | tail -n 1)"

  win_stand_in_npcap off
  win_say "$phase" "[2/3] without Npcap: dorvex-cli says what is missing"
  out=$(scripts/windows/wine-run "$release/dorvex-cli.exe" --list-interfaces 2>&1) &&
    win_fail "$phase" "dorvex-cli --list-interfaces succeeded without Npcap"
  echo "$out" >>"$win_logs/$phase.log"
  [[ $out == *"capturing needs Npcap"*"https://npcap.com"* ]] ||
    win_fail "$phase" "dorvex-cli did not say that Npcap is missing: $out"
  win_say "$phase" "[3/3] without Npcap: the window, its screenshot in $shot"
  rm -f "$shot"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    scripts/windows/wine-run "$1/dorvex.exe" &
    sleep 25
    import -window root "$2"
    scripts/windows/wine-run taskkill /im dorvex.exe  # closes the window as a user would
    wait' _ "$release" "$shot" >>"$win_logs/$phase.log" 2>&1 || true
  win_stand_in_npcap on
  [[ -s $shot ]] || win_fail "$phase" "no screenshot of the window taken"
  convert "$shot" -trim +repage "$shot"  # the window without the empty screen around it
  [[ -f $release/dorvex.ini ]] || win_fail "$phase" "the window wrote no dorvex.ini beside dorvex.exe"
  rm -f "$release/dorvex.ini" "$release"/dorvex.sqlite*
  win_say "$phase" "the window started without Npcap and wrote dorvex.ini beside dorvex.exe"
}
