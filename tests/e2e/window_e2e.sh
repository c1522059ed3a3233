#!/usr/bin/env bash
# End-to-end test of the built program: starts dorvex under Xvfb with a settings file that selects
# the loopback adapter, sends a world list reply over a real TCP connection on port 6900, clicks the
# copy button, compares the clipboard with the expected report, clicks Exit and checks the reply the
# program kept in its count history (read back with dorvex-cli). What the settings file holds after
# a run is the window tests' (tests/window).
#   window_e2e.sh DORVEX DORVEX_CLI EXPECTED_REPORT
# Exit status 77 (skipped) when not root or when Xvfb, xdotool, xclip or python3 are missing.
set -euo pipefail

dorvex=$1 cli=$2 expected=$3
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
source "$here/e2e_session.sh"

e2e_require_tools
lo_index=$("$cli" --list-interfaces | awk -F'\t' '$2 == "lo" { print $1 }')
[[ -n $lo_index ]] || fail "no loopback adapter in: $("$cli" --list-interfaces)"
e2e_start "[Snoop]\nAdapterIndex=$lo_index\n"

copy_button=(404 13) exit_button=(488 13)
python3 "$here/world_list_reply.py" send

# The reply reaches the memo within moments; copy until the clipboard holds its report.
for _ in $(seq 50); do
  e2e_click "${copy_button[@]}"
  sleep 0.1
  xclip -o -selection clipboard -t UTF8_STRING >"$work/clipboard.txt" 2>/dev/null || true
  grep -q '【verdandi】 1000' "$work/clipboard.txt" && break
done
[[ -s $work/clipboard.txt ]] || fail "nothing on the clipboard"
login_line=$(head -1 "$work/clipboard.txt")
grep -q '^【ログイン日時】' <<<"$login_line" || fail "no login line: $login_line"
tail -n +2 "$work/clipboard.txt" >"$work/report.txt"
cmp -s "$work/report.txt" "$expected" ||
  fail "the clipboard differs from the expected report:
$(diff <(tr -d '\r' <"$expected") <(tr -d '\r' <"$work/report.txt"); cmp "$expected" "$work/report.txt")"

e2e_click "${exit_button[@]}"
e2e_wait_for_exit

# The history holds the one reply: its time is the report's login time, then every world's count
# in the window's order, the unknown world, and the report's totals.
csv=$("$cli" --export-csv - --history "$work/dorvex.sqlite") || fail "no history: $csv"
rows=$(tr -d '\r' <<<"$csv" | tail -n +2)
[[ $(wc -l <<<"$rows") -eq 1 ]] || fail "the history holds other than one reply: $csv"
counts="1000,820,640,512,488,1500,1320,990,1110,870,2210,760,655,1203,933,1740,1888,420,1001,777"
counts+=",1650,1234,2020,345,30,3490,8000,7179,7102,7858,2223,4175,8025,2460,26116"
[[ ${rows#*,} == "$counts" ]] || fail "the history's reply differs: $rows"
login_clock=$(grep -o '[0-9][0-9]:[0-9][0-9]:[0-9][0-9]' <<<"$login_line")
[[ ${rows%%,*} == *"T$login_clock"* ]] || fail "history time ${rows%%,*} is not $login_line"
echo "PASSED: the report copied from the window matches; the history was written"
