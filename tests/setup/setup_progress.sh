#!/usr/bin/env bash
# scripts/setup.sh in a throwaway checkout of the tiny project: progress lines appear while the
# build is held half-way, not only at its end; a second run is quiet; a failing build prints its log.
#   setup_progress.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
source "$source_dir/tests/setup/common.sh"
make_work setup

make_checkout "$work/held" coreutils
export SETUP_TEST_GATE=$work/gate
"$work/held/scripts/setup.sh" >"$out" 2>&1 </dev/null &
for _ in $(seq 600); do grep -q '^setup: build: \[' "$out" && break; sleep 0.1; done
while_held=$(cat "$out")
touch "$SETUP_TEST_GATE"
wait $! || fail "setup.sh failed"
grep -qx 'setup: configure: cmake into build/' <<<"$while_held" || fail "no configure line"
grep -qE '^setup: build: \[1/[0-9]+\]$' <<<"$while_held" || fail "no progress while held"
! grep -qE '^setup: build: \[([0-9]+)/\1\]$' <<<"$while_held" || fail "the last step while held"
grep -qE '^setup: build: \[([0-9]+)/\1\]$' "$out" || fail "no line for the last step"
! grep -q 'program.c' "$out" || fail "compiler lines shown instead of progress"
"$work/held/scripts/setup.sh" >"$out" 2>&1 </dev/null || fail "second setup.sh failed"
[[ ! -s $out ]] || fail "a second run printed something"

make_checkout "$work/broken" coreutils
echo '#error this build fails on purpose' >"$work/broken/broken.c"
! "$work/broken/scripts/setup.sh" >"$out" 2>&1 </dev/null || fail "a failing build succeeded"
grep -q 'error: #error this build fails on purpose' "$out" || fail "no compiler error shown"
grep -qx 'setup: the build in build failed (log: build/build.log)' "$out" || fail "no failure line"
echo "PASS: progress while building, a quiet second run, the log of a failing build"
