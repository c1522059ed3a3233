# Shared by the phases of scripts/windows.sh (sourced): where the cache lives, how a phase says what
# it does, keeps its log and stamp, and how heavy steps run (niced, few jobs, progress counter).

# The cache outside the checkout: sources, builds, installed Windows libraries, logs, stamps.
win_cache=${DORVEX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dorvex/windows}
win_src=$win_cache/src          # unpacked Debian source packages
win_build=$win_cache/build      # build trees
win_logs=$win_cache/logs        # one log per phase
win_stamps=$win_cache/stamps    # one stamp per finished phase
win_qt=$win_cache/qt            # qtbase for x86_64-w64-mingw32
win_prefix=$win_cache/prefix    # SQLite and the libpcap headers for x86_64-w64-mingw32
win_jobs=${DORVEX_WINDOWS_JOBS:-2}
# The toolchain file the cached builds were configured with: a copy inside the cache, so that the
# builds do not depend on where this checkout lives (a moved or removed checkout would break them).
# Copied only when its text changed, so that an unchanged file does not make CMake configure again.
win_toolchain=$win_cache/toolchain/windows-x64.toolchain.cmake
mkdir -p "${win_toolchain%/*}"
cmp -s cmake/windows-x64.toolchain.cmake "$win_toolchain" ||
  cp cmake/windows-x64.toolchain.cmake "$win_toolchain"

# The pinned Debian source packages (name=version), the versions of bookworm.
win_qtbase_source=qt6-base=6.4.2+dfsg-10
win_sqlite_source=sqlite3=3.40.1-2+deb12u2
win_libpcap_source=libpcap=1.10.3-1

# win_say PHASE TEXT...: one line of progress.
win_say() {
  local phase=$1
  shift
  echo "windows: $phase: $*"
}

# win_fail PHASE TEXT...: says what failed (with the phase's log, when there is one) and stops.
win_fail() {
  local phase=$1 log=$win_logs/$1.log
  shift
  if [[ -s $log ]]; then
    echo "---- last lines of $log ----" >&2
    tail -n 60 "$log" >&2
    echo "----" >&2
  fi
  echo "windows: $phase: $* (full log: $log)" >&2
  exit 1
}

# win_done PHASE: true when the phase finished in an earlier run (its stamp exists).
win_done() { [[ -f $win_stamps/$1 ]]; }

# win_stamp PHASE: marks the phase finished, with how long it took (seconds since win_begin).
win_stamp() {
  mkdir -p "$win_stamps"
  echo "$(($(date +%s) - win_started)) seconds, $(date -u +%FT%TZ)" >"$win_stamps/$1"
}

# win_begin PHASE TEXT...: starts a phase: says so, starts its clock and a fresh log.
win_begin() {
  local phase=$1
  shift
  mkdir -p "$win_logs"
  : >"$win_logs/$phase.log"
  win_started=$(date +%s)
  win_say "$phase" "$*"
}

# win_run PHASE STEP COMMAND...: runs a step of a phase, niced, its output appended to the log;
# stops with the log's end when it fails.
win_run() {
  local phase=$1 step=$2
  shift 2
  win_say "$phase" "$step"
  echo "+ $*" >>"$win_logs/$phase.log"
  nice -n 19 "$@" >>"$win_logs/$phase.log" 2>&1 || win_fail "$phase" "$step failed"
}

# win_build PHASE DIR [TARGET...]: cmake --build DIR (niced, $win_jobs jobs), its output into the
# phase's log, ninja's counter shown as "windows: PHASE: build: [n/N]" (scripts/progress.sh).
win_build() {
  local phase=$1 dir=$2 targets=() status
  shift 2
  (($#)) && targets=(--target "$@")
  set +e
  NINJA_STATUS='[%f/%t] ' nice -n 19 cmake --build "$dir" -j "$win_jobs" "${targets[@]}" 2>&1 |
    tee -a "$win_logs/$phase.log" |
    show_build_progress "windows: $phase" "compiling in $dir/ with $win_jobs jobs"
  status=${PIPESTATUS[0]}
  set -e
  ((status == 0)) || win_fail "$phase" "the build in $dir failed"
}

# win_source_dir NAME=VERSION: the folder apt-get source unpacks the package into.
win_source_dir() {
  local name=${1%%=*} version=${1#*=}
  version=${version#*:}
  echo "$win_src/$name-${version%%-*}"
}
