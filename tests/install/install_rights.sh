#!/usr/bin/env bash
# Installs the build into a throwaway prefix, applies the README's setcap line, and checks that
# only the capture helper holds a capability. Then, as the nobody user, the installed dorvex-cli
# finds its installed helper and captures a world list reply on lo; without the helper's
# capability it says the capture is not permitted.
#   install_rights.sh BUILD_DIR SOURCE_DIR
# Exit 77 (skipped) without root, setcap/getcap or setpriv.
set -euo pipefail
build=$1
source_dir=$2
if [[ $(id -u) -ne 0 ]] || ! command -v setcap >/dev/null || ! command -v setpriv >/dev/null; then
  echo "skipped: needs root, setcap and setpriv"
  exit 77
fi
prefix=$(mktemp -d /tmp/dorvex-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
chmod 0755 "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
helper="$prefix/libexec/dorvex/dorvex-capture"
cli="$prefix/bin/dorvex-cli"
[[ -x "$helper" && -x "$cli" ]] || { echo "FAIL: helper or dorvex-cli not installed"; exit 1; }

as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }

# No capability yet: the installed dorvex-cli is refused, and says why.
if as_nobody "$cli" --interface lo --seconds 1 >/dev/null 2>"$prefix/refused.txt"; then
  echo "FAIL: captured as nobody without the helper's capability"; exit 1
fi
grep -q "capture not permitted" "$prefix/refused.txt" ||
  { echo "FAIL: unexpected refusal:"; cat "$prefix/refused.txt"; exit 1; }

if ! setcap cap_net_raw+ep "$helper" 2>/dev/null; then
  echo "skipped: this file system takes no capabilities"
  exit 77
fi
caps=$(getcap -r "$prefix")
if [[ "$caps" != "$helper cap_net_raw=ep" ]]; then
  echo "FAIL: getcap -r shows more or other than the helper's one capability:"
  echo "$caps"
  exit 1
fi

# A world list reply on loopback reaches the unprivileged dorvex-cli through the helper.
as_nobody "$cli" --interface lo --replies 1 --seconds 10 >"$prefix/report.txt" 2>&1 &
cli_pid=$!
sleep 1
python3 "$source_dir/tests/e2e/world_list_reply.py" send
wait "$cli_pid" || { echo "FAIL: dorvex-cli as nobody:"; cat "$prefix/report.txt"; exit 1; }
grep -q "【ログイン日時】" "$prefix/report.txt" ||
  { echo "FAIL: no report:"; cat "$prefix/report.txt"; exit 1; }
echo "PASS: only the helper holds a capability; nobody captured a reply through it"
