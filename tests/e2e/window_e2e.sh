#!/usr/bin/env bash
# The built program under Xvfb with the loopback adapter chosen: a world list reply sent over TCP
# on port 6900 is captured, the copy button's report matches EXPECTED_REPORT, and the Exit button
# ends the program, which writes its settings file. (The history it keeps: tests/window.)
#   window_e2e.sh DORVEX DORVEX_CLI EXPECTED_REPORT     exit 77 (skipped) when not root or no Xvfb
set -euo pipefail
dorvex=$1 cli=$2 expected=$3
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
source "$here/e2e_session.sh"

e2e_start '[Snoop]\nAdapterIndex=%s\n'
python3 "$here/world_list_reply.py"
# The reply reaches the memo within moments; copy until the clipboard holds its report.
for _ in $(seq 50); do
  e2e_click 404 13
  sleep 0.1
  xclip -o -selection clipboard -t UTF8_STRING >"$work/clipboard.txt" 2>/dev/null || true
  grep -q '【verdandi】 1000' "$work/clipboard.txt" && break
done
head -1 "$work/clipboard.txt" | grep -q '^【ログイン日時】' ||
  fail "no login line on the clipboard: $(cat "$work/clipboard.txt")"
tail -n +2 "$work/clipboard.txt" | cmp -s - "$expected" || fail "the report differs:
$(diff "$expected" <(tail -n +2 "$work/clipboard.txt"))"

e2e_click 488 13
for _ in $(seq 100); do kill -0 "$dorvex_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$dorvex_pid" 2>/dev/null && fail "the Exit button did not end the program"
status=0
wait "$dorvex_pid" || status=$?
dorvex_pid=
((status == 0)) || fail "the program ended with status $status: $(cat "$work/dorvex.log")"
grep -q '^OpenCount=2' "$work/dorvex.ini" && grep -q "^AdapterIndex=$lo_index" "$work/dorvex.ini" ||
  fail "the settings file was not written at exit: $(cat "$work/dorvex.ini")"
echo "PASSED: the report copied from the window matches; the settings were written at exit"
