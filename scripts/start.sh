#!/usr/bin/env bash
# Sets up and builds Dorvex, gives the program the right to capture, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

window=build/window/dorvex
cli=build/tools/dorvex-cli/dorvex-cli

# Capturing needs raw-socket rights. Rather than running the window as root, the binary gets the
# two capabilities it needs (see "Capture rights" in README.md). A rebuild drops them, so they are
# applied on every start.
grant_capture_rights() {
  local binary=$1
  if getcap "$binary" 2>/dev/null | grep -q cap_net_raw; then
    return
  fi
  if [[ $(id -u) -eq 0 ]]; then
    setcap cap_net_raw,cap_net_admin+eip "$binary"
  elif command -v sudo >/dev/null; then
    echo "start: granting capture rights to $binary (sudo setcap)"
    sudo setcap cap_net_raw,cap_net_admin+eip "$binary" ||
      echo "start: could not grant capture rights; see 'Capture rights' in README.md" >&2
  fi
}

if [[ -x "$window" ]]; then
  grant_capture_rights "$window"
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "start: no display found; start Dorvex from a desktop session (or: xvfb-run $window)" >&2
    exit 1
  fi
  exec "$window"
fi

# Without the window program, show the report of the sample reply.
exec "$cli" samples/world_list_reply.bin
