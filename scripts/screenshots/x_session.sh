# Sourced by take_screenshot.sh, which defines fail() and skip() and sets $dorvex and $cli.
# e2e_start SETTINGS_TEXT: as root, starts Xvfb and a copy of the program in $work (its settings
# file there holds SETTINGS_TEXT, with $lo_index the loopback adapter's index); sets $window and
# $dorvex_pid. e2e_click X Y: clicks at X,Y of the designed form.
e2e_cleanup() {
  [[ -n ${dorvex_pid:-} ]] && kill "$dorvex_pid" 2>/dev/null
  [[ -n ${xvfb_pid:-} ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}

e2e_start() {
  [[ $(id -u) -eq 0 ]] || skip "the capture on the loopback adapter needs root"
  for tool in Xvfb xdotool python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
  done
  lo_index=$("$cli" --list-interfaces | awk -F'\t' '$2 == "lo" { print $1 }')
  [[ -n $lo_index ]] || fail "no loopback adapter in: $("$cli" --list-interfaces)"
  work=$(mktemp -d)
  trap e2e_cleanup EXIT
  # The copy runs the capture helper beside it, as an installed program does.
  cp "$dorvex" "$work/dorvex"
  cp "$(dirname "$cli")/../dorvex-capture/dorvex-capture" "$work/"
  printf "$1" "$lo_index" >"$work/dorvex.ini"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
  [[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$(cat "$work/display") XDG_RUNTIME_DIR=$work
  "$work/dorvex" >"$work/dorvex.log" 2>&1 &
  dorvex_pid=$!
  window=$(timeout 15 xdotool search --sync --onlyvisible --name '^Dorvex \(#20070826-01\)$' |
    head -1) || fail "the window did not appear: $(cat "$work/dorvex.log")"
}

# No window manager: the window's origin is its client area. The form scales to its font by one
# factor (window/form_scaling.h): designed coordinates scale with the width over 516 pixels.
e2e_click() {
  local width
  width=$(xdotool getwindowgeometry --shell "$window" | awk -F= '$1 == "WIDTH" { print $2 }')
  xdotool mousemove --window "$window" $(($1 * width / 516)) $(($2 * width / 516)) click 1
}
