#!/usr/bin/env bash
# Takes the screenshot of the window with counts for the docs: dorvex under Xvfb captures a world
# list reply on loopback, then the window is saved as a PNG.
#   take_screenshot.sh DORVEX DORVEX_CLI GRAB_WINDOW OUTPUT.png
set -euo pipefail

dorvex=$1 cli=$2 grab=$3 output=$4
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "cannot take the screenshot: $*" >&2; exit 1; }
fail() { echo "FAILED: $*" >&2; exit 1; }
source "$here/e2e_session.sh"

e2e_require_tools
lo_index=$("$cli" --list-interfaces | awk -F'\t' '$2 == "lo" { print $1 }')
e2e_start "[Snoop]\nAdapterIndex=$lo_index\n[Config]\nExpand=1\n"
python3 "$here/world_list_reply.py" send
sleep 1
"$grab" "$window" "$output"
kill "$dorvex_pid"
echo "saved $output"
