#!/usr/bin/env bash
# Takes the screenshot of the window with counts for the docs: dorvex under Xvfb (as root) captures
# a world list reply on loopback, then the window is saved as a PNG.
#   take_screenshot.sh DORVEX DORVEX_CLI GRAB_WINDOW OUTPUT.png
set -euo pipefail
dorvex=$1 cli=$2 grab=$3 output=$4
here=$(cd "$(dirname "$0")" && pwd)
e2e=$(cd "$here/../../tests/e2e" && pwd)  # the reply sender
skip() { echo "cannot take the screenshot: $*" >&2; exit 1; }
fail() { echo "FAILED: $*" >&2; exit 1; }
source "$here/x_session.sh"

e2e_start '[Snoop]\nAdapterIndex=%s\n[Config]\nExpand=1\n'
python3 "$e2e/world_list_reply.py"
sleep 1
"$grab" "$window" "$output"
echo "saved $output"
