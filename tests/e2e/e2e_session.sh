# Shared by the end-to-end scripts (sourced): a private Xvfb display and a copy of the program in
# a work folder, where it keeps its settings file.
#   e2e_require_tools          exits 77 (skipped) when a tool is missing or when not root
#   e2e_start SETTINGS_TEXT    starts Xvfb and the program; sets $work, $window, $dorvex_pid
#   e2e_click X Y              clicks at X,Y of the designed form in the window's client area
#   e2e_wait_for_exit          waits until the program has ended; fails on a non-zero status
# Needs $dorvex (the built program) and the functions fail() and skip().

e2e_require_tools() {
  [[ $(id -u) -eq 0 ]] || skip "the capture on the loopback adapter needs root"
  local tool
  for tool in Xvfb xdotool xclip python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
  done
}

e2e_cleanup() {
  [[ -n ${dorvex_pid:-} ]] && kill "$dorvex_pid" 2>/dev/null
  [[ -n ${xvfb_pid:-} ]] && kill "$xvfb_pid" 2>/dev/null
  [[ -n ${work:-} ]] && rm -rf "$work"
}

e2e_start() {
  work=$(mktemp -d)
  trap e2e_cleanup EXIT
  cp "$dorvex" "$work/dorvex"
  printf '%b' "$1" >"$work/dorvex.ini"

  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
  [[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$(cat "$work/display")
  export XDG_RUNTIME_DIR=$work

  "$work/dorvex" >"$work/dorvex.log" 2>&1 &
  dorvex_pid=$!
  window=$(timeout 15 xdotool search --sync --onlyvisible --name '^Dorvex \(#20070826-01\)$' |
    head -1) || fail "the window did not appear: $(cat "$work/dorvex.log")"
}

# No window manager runs: the window's origin is its client area. The form grows to fit its font
# by one factor (window/form_scaling.h), so designed coordinates scale with the window's width
# over the designed 516 pixels.
e2e_click() {
  local width
  width=$(xdotool getwindowgeometry --shell "$window" | awk -F= '$1 == "WIDTH" { print $2 }')
  xdotool mousemove --window "$window" $(($1 * width / 516)) $(($2 * width / 516)) click 1
}

e2e_wait_for_exit() {
  for _ in $(seq 100); do kill -0 "$dorvex_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$dorvex_pid" 2>/dev/null && fail "the program did not end"
  local status=0
  wait "$dorvex_pid" || status=$?
  dorvex_pid=
  [[ $status -eq 0 ]] || fail "the program ended with status $status: $(cat "$work/dorvex.log")"
}
