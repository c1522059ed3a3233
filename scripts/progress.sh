# The build step of setup.sh and package.sh (sourced by them): the compiler's output goes to a log,
# and the build shows ninja's [done/total] counter instead.

# build_with_progress WHO DIR LOG JOBS [TARGET...]: cmake --build DIR (the targets, else all) with
# JOBS jobs, its output into LOG. Shows "WHO: build: [n/N]": on a terminal as one line that
# updates, otherwise at the first step, at every further tenth and at the last step. Returns the
# build's status.
build_with_progress() {
  local who=$1 dir=$2 log=$3 jobs=$4 targets=()
  shift 4
  (($#)) && targets=(--target "$@")
  NINJA_STATUS='[%f/%t] ' cmake --build "$dir" -j "$jobs" "${targets[@]}" 2>&1 | tee "$log" |
    show_build_progress "$who" "compiling in $dir/ with $jobs jobs (log: $log)"
}

# show_build_progress WHO FIRST_LINE: reads the build's output, shows its counter (see above).
show_build_progress() {
  local who=$1 first=$2 line finished total shown=-1 started=0 tty=0
  [[ -t 1 ]] && tty=1
  while IFS= read -r line; do
    [[ $line =~ ^\[([0-9]+)/([0-9]+)\]\  ]] || continue
    finished=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
    if ((!started)); then
      started=1
      echo "$who: build: $first"
    fi
    if ((tty)); then
      printf '\r%s: build: [%d/%d]\033[K' "$who" "$finished" "$total"
    elif ((finished * 10 / total > shown || finished == total)); then
      shown=$((finished * 10 / total))
      echo "$who: build: [$finished/$total]"
    fi
  done
  if ((tty && started)); then echo; fi
  return 0
}
