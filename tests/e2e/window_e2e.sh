#!/usr/bin/env bash
# End-to-end test of the built program: starts dorvex under Xvfb with a settings file that selects
# the loopback adapter, sends a world list reply over a real TCP connection on port 6900, clicks the
# copy button, compares the clipboard with the expected report, clicks Exit and checks the settings
# file the program wrote.
#   window_e2e.sh DORVEX DORVEX_CLI EXPECTED_REPORT
# Exit status 77 (skipped) when not root or when Xvfb, xdotool, xclip or python3 are missing.
set -euo pipefail

dorvex=$1 cli=$2 expected=$3
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

[[ $(id -u) -eq 0 ]] || skip "the capture on the loopback adapter needs root"
for tool in Xvfb xdotool xclip python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
done

work=$(mktemp -d)
xvfb_pid= dorvex_pid=
cleanup() {
  [[ -n $dorvex_pid ]] && kill "$dorvex_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The program keeps its settings beside itself: a copy in the work folder gets its own file.
cp "$dorvex" "$work/dorvex"
lo_index=$("$cli" --list-interfaces | awk -F'\t' '$2 == "lo" { print $1 }')
[[ -n $lo_index ]] || fail "no loopback adapter in: $("$cli" --list-interfaces)"
printf '[Snoop]\nAdapterIndex=%s\n' "$lo_index" >"$work/dorvex.ini"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(cat "$work/display")
export XDG_RUNTIME_DIR=$work

"$work/dorvex" >"$work/dorvex.log" 2>&1 &
dorvex_pid=$!
window=$(timeout 15 xdotool search --sync --onlyvisible --name '^Dorvex \(#20070826-01\)$' | head -1) ||
  fail "the window did not appear: $(cat "$work/dorvex.log")"

# Control centres in the window (no window manager: the window's origin is its client area).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
copy_button=(404 13) exit_button=(488 13)

python3 "$here/world_list_reply.py" send

# The reply reaches the memo within moments; copy until the clipboard holds its report.
for _ in $(seq 50); do
  click "${copy_button[@]}"
  sleep 0.1
  xclip -o -selection clipboard -t UTF8_STRING >"$work/clipboard.txt" 2>/dev/null || true
  grep -q '【verdandi】 1000' "$work/clipboard.txt" && break
done
[[ -s $work/clipboard.txt ]] || fail "nothing on the clipboard"
head -1 "$work/clipboard.txt" | grep -q '^【ログイン日時】' || fail "no login line: $(head -1 "$work/clipboard.txt")"
tail -n +2 "$work/clipboard.txt" >"$work/report.txt"
cmp -s "$work/report.txt" "$expected" ||
  fail "the clipboard differs from the expected report:
$(diff <(tr -d '\r' <"$expected") <(tr -d '\r' <"$work/report.txt"); cmp "$expected" "$work/report.txt")"

click "${exit_button[@]}"
for _ in $(seq 100); do kill -0 "$dorvex_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$dorvex_pid" 2>/dev/null && fail "the program did not end after Exit"
wait "$dorvex_pid" || fail "the program ended with status $?: $(cat "$work/dorvex.log")"
dorvex_pid=

# "section/key=value" for every entry of the settings file.
entries=$(awk -F= '/^\[/ { section = substr($0, 2, length($0) - 2); next }
                   NF >= 2 { print section "/" $1 "=" $2 }' "$work/dorvex.ini")
for expected_entry in Function/OpenCount=2 Config/Expand=1 Config/Compatible=0 \
  "Snoop/AdapterIndex=$lo_index"; do
  grep -qx "$expected_entry" <<<"$entries" || fail "settings lack $expected_entry: $entries"
done
placement_keys=$(grep -c '^TfrmDVmain/Place' <<<"$entries")
[[ $placement_keys -eq 10 ]] || fail "$placement_keys placement keys written: $entries"
echo "PASSED: report copied from the window matches; settings written"
