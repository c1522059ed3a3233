#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite through CTest, then lists the skipped tests with
# their reasons (a test that needs root is skipped for a user).
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
junit=$PWD/$dir/ctest-junit.xml
rm -f "$junit"
status=0
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --output-junit "$junit" || status=$?

# A skipped test's reason follows its "skipped:" (or "skipped,"), or GoogleTest's "Skipped" line.
[[ -f $junit ]] && python3 - "$junit" <<'PY'
import collections, re, sys, xml.etree.ElementTree as ET
reasons = collections.defaultdict(list)
for case in ET.parse(sys.argv[1]).iter("testcase"):
    if case.find("skipped") is not None:
        out = case.findtext("system-out") or ""
        found = re.search(r"(?i)\bskipped[:,] *(.+)", out) or re.search(r": Skipped\n(.+)", out)
        reasons[found[1].strip() if found else "no reason given"].append(case.get("name"))
for reason, names in sorted(reasons.items(), key=lambda item: -len(item[1])):
    some = ", ".join(names[:3]) + (", ..." if len(names) > 3 else "")
    print(f"test: skipped {len(names)} test{'s' * (len(names) > 1)}: {reason} ({some})")
PY
exit "$status"
