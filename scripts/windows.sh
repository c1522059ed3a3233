#!/usr/bin/env bash
# Builds the Windows (x86_64-w64-mingw32) toolchain's libraries from Debian's own tools and
# sources, once, into a cache outside the checkout:
#   ${DORVEX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dorvex/windows}/
# Phases (each in scripts/windows/, each skipped when its stamp says it finished before):
#   packages   the Debian packages it needs, installed when missing (as scripts/setup.sh does)
#   sqlite     SQLite from Debian's amalgamation (shared library, pkg-config file)
#   libpcap    libpcap's headers, and libpcap built for MinGW without capture
#   qtbase     Qt 6.4.2 qtbase for Windows (Core, Gui, Widgets, OpenGL, Test, qwindows, styles)
#   smoke      a small Qt Widgets program cross-built with cmake/windows-x64.toolchain.cmake, run
#              under Wine and Xvfb, a screenshot of it kept in the cache
#   dorvex     Dorvex cross-built into build-windows/, its release folder and zip (every run)
#   suite      the Windows build's tests under Wine, and the programs without Npcap (every run)
# Each build phase first fetches its pinned Debian source package with apt (scripts/windows/
# sources.sh: a private sources list, the system's apt set-up untouched).
# Each phase says in one line what it does and shows its progress; its full log is in the cache's
# logs/ folder and is shown when it fails. Heavy steps run with nice -n 19 and
# ${DORVEX_WINDOWS_JOBS:-2} jobs.
#   scripts/windows.sh            every phase not done yet
#   scripts/windows.sh PHASE...   those phases only (when not done yet)
#   scripts/windows.sh --redo PHASE...   those phases again, even when done
#   scripts/windows.sh --status          which phases are done, and how long each took
#   scripts/windows.sh --ready           whether the cached libraries are built (status 0), else
#                                        says which are missing (status 1)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/root_steps.sh
source scripts/progress.sh
source scripts/windows/common.sh
for file in scripts/windows/[a-z]*.sh; do
  [[ $file == scripts/windows/common.sh ]] || source "$file"
done

all=(packages sqlite libpcap qtbase smoke dorvex suite)
if [[ ${1:-} == --status ]]; then
  for phase in "${all[@]}"; do
    if [[ $phase == packages || $phase == dorvex || $phase == suite ]]; then
      echo "windows: $phase: run at every run"
    elif win_done "$phase"; then
      echo "windows: $phase: done ($(<"$win_stamps/$phase"))"
    else
      echo "windows: $phase: not done"
    fi
  done
  exit 0
fi
if [[ ${1:-} == --ready ]]; then
  missing=()
  for phase in sqlite libpcap qtbase; do
    win_done "$phase" || missing+=("$phase")
  done
  ((${#missing[@]} == 0)) && exit 0
  echo "windows: the cache $win_cache/ lacks ${missing[*]} (scripts/windows.sh builds them:" \
    "an hour or more on 2 cores)"
  exit 1
fi
redo=0
if [[ ${1:-} == --redo ]]; then
  redo=1
  shift
fi
phases=("$@")
((${#phases[@]})) || phases=("${all[@]}")
for phase in "${phases[@]}"; do
  [[ " ${all[*]} " == *" $phase "* ]] ||
    { echo "windows.sh: unknown phase '$phase' (phases: ${all[*]})" >&2; exit 2; }
done
# One run at a time on a cache.
mkdir -p "$win_cache"
exec 9>"$win_cache/lock"
flock -n 9 || { echo "windows.sh: another run is using $win_cache/ (lock: $win_cache/lock)" >&2; exit 1; }
for phase in "${phases[@]}"; do
  ((redo)) && rm -f "$win_stamps/$phase"
  "win_phase_$phase"
done
echo "windows: done (${phases[*]}); cache: $win_cache/"
