#!/usr/bin/env bash
# Sets up and builds Dorvex, gives the capture helper the right to capture, and starts Dorvex.
# As a user, the capability grant runs through sudo, only when the helper lacks it, and sudo asks
# for the password at most once together with setup.sh's package install; without sudo, it prints
# the command to run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/root_steps.sh
scripts/setup.sh

window=build/window/dorvex
cli=build/tools/dorvex-cli/dorvex-cli
helper=build/tools/dorvex-capture/dorvex-capture

# Only the small capture helper holds a capability (see "Capture rights" in README.md); the
# programs with a user interface hold none. A rebuild drops it, so it is checked on every start,
# and root is asked for only when it is missing.
grant_capture_rights() {
  local getcap setcap
  getcap=$(system_tool getcap) && setcap=$(system_tool setcap) ||
    { echo "start: getcap and setcap are missing (Debian package libcap2-bin)" >&2; return 0; }
  if ! "$getcap" "$helper" 2>/dev/null | grep -q cap_net_raw; then
    echo "start: granting cap_net_raw to $helper"
    if ! can_run_as_root || ! as_root "$setcap" cap_net_raw+ep "$helper"; then
      echo "start: could not grant capture rights (see 'Capture rights' in README.md); run this" \
        "as root, then start again:" >&2
      echo "  $(su_command "$setcap cap_net_raw+ep $(shell_words "$PWD/$helper")")" >&2
    fi
  fi
  # Earlier versions gave the capabilities to the programs themselves: take them back.
  for program in "$window" "$cli"; do
    if [[ -e "$program" && -n "$("$getcap" "$program" 2>/dev/null)" ]]; then
      echo "start: removing the capabilities of $program (only the helper needs one)"
      as_root "$setcap" -r "$program" || echo "start: could not remove them" >&2
    fi
  done
}

grant_capture_rights
if [[ -x "$window" ]]; then
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "start: no display found; start Dorvex from a desktop session (or: xvfb-run $window)" >&2
    exit 1
  fi
  exec "$window"
fi

# Without the window program, show the report of the sample reply.
exec "$cli" samples/world_list_reply.bin
