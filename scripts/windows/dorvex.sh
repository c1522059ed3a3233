# Phases "dorvex" and "suite" of scripts/windows.sh (sourced), run every time (the build is
# incremental):
#   dorvex  Dorvex cross-built into build-windows/ against the cached Qt and SQLite, then the
#           release folder build-windows/release/dorvex-<version>-windows-x64/ (the programs, the
#           DLLs they load and no others, licences, README.txt), its zip and an installer (NSIS,
#           packaging/windows/dorvex.nsi) beside it.
#   suite   the Windows build's tests under Wine (scripts/windows/wine-run) with a stand-in for
#           Npcap (tests/windows/); the window capturing the sample reply through it; then,
#           without it, the programs saying that Npcap is missing; the installer and uninstaller.
#           Screenshots of the window in build-windows/.

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

# win_installer_files RELEASE: the macros DorvexFiles and DorvexDeletes of packaging/windows/
# dorvex.nsi for the files of RELEASE.
win_installer_files() {
  local release=$1 file folder shown=
  echo '!macro DorvexFiles'
  while IFS= read -r file; do
    folder=$(dirname "$file")
    if [[ $folder != "$shown" ]]; then
      shown=$folder
      [[ $folder == . ]] && echo '  SetOutPath "$INSTDIR"' || echo "  SetOutPath \"\$INSTDIR\\${folder//\//\\}\""
    fi
    echo "  File \"$PWD/$release/$file\""
  done < <(cd "$release" && find . -type f -printf '%P\n' | sort)
  echo '!macroend'
  echo '!macro DorvexDeletes'
  (cd "$release" && find . -type f -printf '%P\n' | sort) | sed 's|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
  echo '!macroend'
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
  win_say "$phase" "[4/4] zip $build/$name.zip and installer $build/$name-setup.exe"
  rm -f "$build/$name.zip" "$build/$name-setup.exe"
  (cd "$build/release" && zip -q -r -X "../$name.zip" "$name") || win_fail "$phase" "zip failed"
  win_installer_files "$release" >"$build/installer-files.nsh"
  win_run "$phase" "installer (makensis)" makensis -V2 -DVERSION="$version" -DRELEASE="$PWD/$release" \
    -DICON="$PWD/packaging/windows/dorvex.ico" -DFILES="$PWD/$build/installer-files.nsh" \
    -DOUTFILE="$PWD/$build/$name-setup.exe" packaging/windows/dorvex.nsi
  chmod +x "$build/$name-setup.exe"  # Wine runs only executable files as programs
  win_say "$phase" "$build/$name.zip: $(du -h "$build/$name.zip" | cut -f1)," \
    "$(find "$release" -type f | wc -l) files; $build/$name-setup.exe:" \
    "$(du -h "$build/$name-setup.exe" | cut -f1)"
}

# win_stand_in_npcap on|off: puts the stand-in for Npcap (tests/windows/) where Npcap's wpcap.dll
# goes in the Wine prefix, with the capture-less libpcap it wraps as pcapnull.dll, or takes it away.
win_stand_in_npcap() {
  local system=$WINEPREFIX/drive_c/windows/system32
  if [[ $1 == on ]]; then
    mkdir -p "$system/Npcap"
    cp "$win_dorvex_build/tests/windows/wpcap.dll" "$system/Npcap/wpcap.dll"
    cp "$win_cache/wpcap-null/bin/wpcap.dll" "$system/pcapnull.dll"
  else
    rm -rf "$system/Npcap"
  fi
}

# win_run_window PHASE RELEASE SHOT: runs the window of RELEASE under Wine on Xvfb, waits until it
# shows (a first start can take a minute), takes a screenshot of it into SHOT and closes it as a
# user would; fails when it never shows or does not close.
win_run_window() {
  local phase=$1 release=$2 shot=$3
  rm -f "$shot"
  # Wine's desktop process outlives the programs by a few seconds: one started without a display
  # (the tests) would keep the window from showing.
  wineserver -k 2>/dev/null || true
  wineserver -w
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    scripts/windows/wine-run "$1/dorvex.exe" &
    for ((i = 0; i < 60; i++)); do
      sleep 2
      import -window root "$2"
      [[ $(convert "$2" -trim -format %w info:) -gt 200 ]] && break
    done
    sleep 3  # the first paint done
    import -window root "$2"
    scripts/windows/wine-run taskkill /im dorvex.exe  # closes the window as a user would
    for ((i = 0; i < 30; i++)); do
      kill -0 %1 2>/dev/null || exit 0
      sleep 1
    done
    echo "the window did not close" >&2
    scripts/windows/wine-run taskkill /f /im dorvex.exe
    exit 1' _ "$release" "$shot" >>"$win_logs/$phase.log" 2>&1 ||
    win_fail "$phase" "the window did not close when asked to"
  convert "$shot" -trim +repage "$shot"  # the window without the empty screen around it
  [[ $(identify -format %w "$shot") -gt 200 ]] || win_fail "$phase" "the window never showed"
}

win_phase_suite() {
  local phase=suite build=$win_dorvex_build release out capture replies
  [[ -f $build/build.ninja ]] || win_fail "$phase" "no Windows build in $build/ (run the dorvex phase)"
  release=$(find "$build/release" -mindepth 1 -maxdepth 1 -type d -print -quit)
  win_begin "$phase" "the Windows build's tests under Wine"
  win_wine_prefix "$phase" "[0/5]"
  win_stand_in_npcap on
  win_say "$phase" "[1/5] ctest in $build/ (the stand-in for Npcap: libpcap without capture, one" \
    "adapter replaying a capture file)"
  ctest --test-dir "$build" -j "$win_jobs" --output-on-failure >>"$win_logs/$phase.log" 2>&1 ||
    win_fail "$phase" "tests failed under Wine"
  win_say "$phase" "$(grep -E '^[0-9]+% tests passed' "$win_logs/$phase.log" | tail -n 1)"

  win_say "$phase" "[2/5] the window captures the sample reply through the stand-in:" \
    "$build/dorvex-windows.png"
  capture=$build/sample-reply.pcap
  python3 tests/windows/sample_capture.py samples/world_list_reply.bin "$capture"
  rm -f "$release/dorvex.ini" "$release"/dorvex.sqlite*
  printf '[Snoop]\r\nAdapterIndex=0\r\n' >"$release/dorvex.ini"  # the stand-in's one adapter
  DORVEX_STAND_IN_CAPTURE=$(WINEDEBUG=-all winepath -w "$capture") \
    win_run_window "$phase" "$release" "$build/dorvex-windows.png"
  replies=$(python3 -c 'import sqlite3, sys
print(sqlite3.connect(sys.argv[1]).execute("SELECT count(*) FROM reply").fetchone()[0])' \
    "$release/dorvex.sqlite" 2>>"$win_logs/$phase.log") || replies=0
  [[ $replies == 1 ]] || win_fail "$phase" "the history beside dorvex.exe holds $replies replies, not 1"
  win_say "$phase" "the window captured the reply into dorvex.sqlite beside dorvex.exe"

  win_stand_in_npcap off
  win_say "$phase" "[3/5] without Npcap: dorvex-cli says what is missing"
  out=$(scripts/windows/wine-run "$release/dorvex-cli.exe" --list-interfaces 2>&1) &&
    win_fail "$phase" "dorvex-cli --list-interfaces succeeded without Npcap"
  echo "$out" >>"$win_logs/$phase.log"
  [[ $out == *"capturing needs Npcap, from https://npcap.com"* ]] ||
    win_fail "$phase" "dorvex-cli did not say that Npcap is missing: $out"
  win_say "$phase" "[4/5] without Npcap: the window says what is missing:" \
    "$build/dorvex-windows-without-npcap.png"
  rm -f "$release/dorvex.ini" "$release"/dorvex.sqlite*
  win_run_window "$phase" "$release" "$build/dorvex-windows-without-npcap.png"
  win_stand_in_npcap on
  [[ -f $release/dorvex.ini ]] || win_fail "$phase" "the window wrote no dorvex.ini beside dorvex.exe"
  rm -f "$release/dorvex.ini" "$release"/dorvex.sqlite*
  win_check_installer "$phase" "$(find "$build" -maxdepth 1 -name '*-setup.exe' -print -quit)"
}

# win_check_installer PHASE SETUP: installs with SETUP silently, checks the programs and the Start
# menu entry, then uninstalls: every installed file goes, the user's settings stay.
win_check_installer() {
  local phase=$1 setup=$2 folder=$WINEPREFIX/drive_c/Program\ Files/Dorvex
  local entry="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Dorvex/Dorvex.lnk"
  win_say "$phase" "[5/5] the installer $setup: install, Start menu entry, uninstall"
  rm -rf "$folder"
  scripts/windows/wine-run "$setup" /S >>"$win_logs/$phase.log" 2>&1 ||
    win_fail "$phase" "the installer failed"
  [[ -f $folder/dorvex.exe && -f $folder/platforms/qwindows.dll && -f $entry ]] ||
    win_fail "$phase" "the installer left no dorvex.exe, qwindows.dll or Start menu entry"
  printf '[Config]\r\nExpand=1\r\n' >"$folder/dorvex.ini"  # a user's settings
  scripts/windows/wine-run "$folder/uninstall.exe" /S >>"$win_logs/$phase.log" 2>&1 ||
    win_fail "$phase" "the uninstaller failed"
  # The uninstaller runs from a copy of itself in the temporary folder: it is done when its
  # original is gone.
  for ((i = 0; i < 60; i++)); do
    [[ -e $folder/uninstall.exe ]] || break
    sleep 1
  done
  [[ ! -e $folder/dorvex.exe && ! -e $folder/platforms && ! -e $entry && -f $folder/dorvex.ini ]] ||
    win_fail "$phase" "the uninstaller did not remove exactly the installed files"
  rm -rf "$folder"
  win_say "$phase" "installed, found in the Start menu, uninstalled with the user's settings kept"
}
