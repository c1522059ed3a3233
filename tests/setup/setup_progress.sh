#!/usr/bin/env bash
# scripts/setup.sh in a throwaway checkout (its scripts beside a tiny project): the build's progress
# lines appear while the build is held half-way, not only at its end; a second run is quiet; a
# failing build prints its log.
#   setup_progress.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
source "$source_dir/tests/setup/checkout.sh"
work=$(mktemp -d /tmp/dorvex-setup.XXXXXX)
trap 'rm -rf "$work"' EXIT
out=$work/out.txt
fail() { echo "FAIL: $*"; cat "$out"; exit 1; }

make_checkout "$work/held" coreutils
export SETUP_TEST_GATE=$work/gate
"$work/held/scripts/setup.sh" >"$out" 2>&1 </dev/null &
setup_pid=$!
# The build waits at the gate until the first progress line is out (or the gate gives up).
for ((i = 0; i < 600; i++)); do
  if grep -q '^setup: build: \[' "$out" || ! kill -0 "$setup_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
while_held=$(cat "$out")
kill -0 "$setup_pid" 2>/dev/null || fail "setup.sh ended with its build held: no progress shown"
touch "$SETUP_TEST_GATE"
wait "$setup_pid" || fail "setup.sh failed"
grep -qx 'setup: configure: cmake into build/' <<<"$while_held" || fail "no configure line"
grep -qE '^setup: build: \[1/[0-9]+\]$' <<<"$while_held" ||
  fail "no progress line while the build was held"
! grep -qE '^setup: build: \[([0-9]+)/\1\]$' <<<"$while_held" ||
  fail "the last step was shown while the build was held"
grep -qE '^setup: build: \[([0-9]+)/\1\]$' "$out" || fail "no line for the last step"
grep -q 'program.c' "$out" && fail "compiler lines shown instead of progress"

"$work/held/scripts/setup.sh" >"$out" 2>&1 </dev/null || fail "second setup.sh failed"
[[ ! -s $out ]] || fail "a second run printed something"

make_checkout "$work/broken" coreutils
echo '#error this build fails on purpose' >"$work/broken/broken.c"
if "$work/broken/scripts/setup.sh" >"$out" 2>&1 </dev/null; then fail "a failing build succeeded"; fi
grep -q 'error: #error this build fails on purpose' "$out" || fail "no compiler error shown"
grep -qx 'setup: the build in build failed (log: build/build.log)' "$out" || fail "no failure line"
echo "PASS: progress while building, a quiet second run, the log of a failing build"
