#!/usr/bin/env bash
# Installs the build into a throwaway prefix. As nobody, the installed dorvex-cli is refused; after
# the README's group recipe (with the prefix and a throwaway group that nobody joins), only the
# capture helper holds a capability and nobody, as a member, captures a reply on lo through it.
#   install_rights.sh BUILD_DIR SOURCE_DIR
# Exit 77 (skipped) without root, setcap or setpriv, or where the file system takes no capabilities.
set -euo pipefail
build=$1
source_dir=$2
if [[ $(id -u) -ne 0 ]] || ! command -v setcap >/dev/null || ! command -v setpriv >/dev/null; then
  echo "skipped: needs root, setcap and setpriv"
  exit 77
fi
prefix=$(mktemp -d /tmp/dorvex-install.XXXXXX)
group=dorvex-test-$$
trap 'rm -rf "$prefix"; groupdel "$group" 2>/dev/null || true' EXIT
chmod 0755 "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
helper="$prefix/libexec/dorvex/dorvex-capture"
cli="$prefix/bin/dorvex-cli"
fail() { echo "FAIL: $*"; exit 1; }
as_nobody() { setpriv --reuid=nobody --regid=nogroup --init-groups "$@"; }
[[ -x "$helper" && -x "$cli" ]] || fail "helper or dorvex-cli not installed"

# No capability yet: the installed dorvex-cli is refused, and says why.
as_nobody "$cli" --interface lo --seconds 1 >/dev/null 2>"$prefix/refused.txt" &&
  fail "captured as nobody without the helper's capability"
grep -q "capture not permitted" "$prefix/refused.txt" || fail "refusal: $(<"$prefix/refused.txt")"

if ! setcap cap_net_raw+ep "$helper" 2>/dev/null; then
  echo "skipped: this file system takes no capabilities"
  exit 77
fi
recipe=$(awk '/^    sudo groupadd/ { on = 1 } on && !/^    / { exit } on' "$source_dir/README.md")
sed "s|/usr/local|$prefix|g; s/sudo //g; s/dorvex /$group /g" <<<"$recipe" | USER=nobody bash -e ||
  fail "the README's group recipe: $recipe"
caps=$(getcap -r "$prefix")
[[ $caps == "$helper cap_net_raw=ep" ]] || fail "getcap -r shows other than the helper's: $caps"

# A world list reply on loopback reaches the unprivileged group member through the helper.
as_nobody "$cli" --interface lo --replies 1 --seconds 10 >"$prefix/report.txt" 2>&1 &
cli_pid=$!
sleep 1
python3 "$source_dir/tests/e2e/world_list_reply.py"
wait "$cli_pid" || fail "dorvex-cli as nobody: $(<"$prefix/report.txt")"
grep -q "【ログイン日時】" "$prefix/report.txt" || fail "no report: $(<"$prefix/report.txt")"
echo "PASS: after the README's group recipe only the helper holds a capability; a member captured"
