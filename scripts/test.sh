#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite through CTest.
#   scripts/test.sh              normal build (build/)
#   scripts/test.sh --sanitize   the same tests under ASan + UBSan (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh "$@"
dir=build
[[ "${1:-}" == --sanitize ]] && dir=build-asan
echo "test: tests: ctest in $dir/"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
