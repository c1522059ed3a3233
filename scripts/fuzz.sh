#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ (clang, ASan + UBSan) and runs each for its time
# budget on a scratch copy of its seed corpus. Fails on any crash, sanitizer report or leak.
#   scripts/fuzz.sh            every fuzzer, each for the seconds its CMakeLists.txt gives
#   scripts/fuzz.sh NAME...    only those fuzzers (names as in build-fuzz/fuzz/fuzzers.tsv)
#   FUZZ_SECONDS=N             overrides every time budget
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-fuzz
if [[ ! -f "$dir/CMakeCache.txt" ]]; then
  werror=OFF
  [[ -n "${CI:-}" ]] && werror=ON  # CI fails the build on any warning
  cmake -S . -B "$dir" -G Ninja -Wno-dev -DCMAKE_CXX_COMPILER=clang++ -DDORVEX_FUZZ=ON \
    -DDORVEX_SANITIZE=ON -DDORVEX_BENCH=OFF -DDORVEX_GUI=OFF -DDORVEX_WARNINGS_AS_ERRORS="$werror" \
    >/dev/null
fi
log="$dir/fuzz-build.log"
if ! cmake --build "$dir" --target dorvex_fuzzers -j "$(nproc)" >"$log" 2>&1; then
  cat "$log" >&2
  echo "fuzz: the build in $dir failed (log: $log)" >&2
  exit 1
fi

manifest="$dir/fuzz/fuzzers.tsv"
work="$dir/fuzz-work"
artifacts="$dir/fuzz-artifacts"
mkdir -p "$artifacts"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
ran=0
while IFS=$'\t' read -r name program corpus seconds; do
  [[ -n "$name" ]] || continue
  if (($#)) && [[ " $* " != *" $name "* ]]; then continue; fi
  seconds=${FUZZ_SECONDS:-$seconds}
  rm -rf "${work:?}/$name"
  mkdir -p "$work/$name"
  echo "fuzz: $name for ${seconds}s (seed corpus $corpus)"
  if "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$name-" "$work/$name" "$corpus" >"$work/$name.log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$work/$name.log" |
      sed "s/^/fuzz: $name: /" || true
  else
    tail -n 60 "$work/$name.log" >&2
    echo "fuzz: $name FAILED (log: $work/$name.log, inputs: $artifacts/$name-*)" >&2
    failed=1
  fi
  ran=$((ran + 1))
done <"$manifest"

if ((ran == 0)); then
  echo "fuzz: no fuzzer ran (manifest: $manifest)" >&2
  exit 1
fi
exit "$failed"
