#!/usr/bin/env bash
# Installs the build into a throwaway prefix. Every installed program is hardened (checksec: full
# RELRO, stack canary, NX, PIE, fortified, no run path; not in the sanitizer build). As nobody, the installed dorvex-cli is
# refused; after the README's group recipe (with the prefix and a throwaway group that nobody
# joins), only the capture helper holds a capability and nobody, as a member, captures a reply on
# lo through it.
#   install_rights.sh BUILD_DIR SOURCE_DIR
# Exit 77 (skipped) without root, setcap or setpriv, or where the file system takes no capabilities.
set -euo pipefail
build=$1 source_dir=$2
source "$source_dir/tests/setup/common.sh"
need_root setcap setpriv
group=dorvex-test-$$ cleanup='groupdel "$group" 2>/dev/null || true'
make_work install
chmod 0755 "$work"
cmake --install "$build" --prefix "$work" >/dev/null
helper=$work/libexec/dorvex/dorvex-capture cli=$work/bin/dorvex-cli

command -v checksec >/dev/null || fail "checksec is missing (setup.sh installs it)"
while [[ ${DORVEX_HARDENED:-1} == 1 ]] && IFS= read -r -d '' program; do
  flags=$(checksec --output=csv --file="$program")
  [[ $flags == "Full RELRO,Canary found,NX enabled,PIE enabled,No RPATH,No RUNPATH,"*,Yes,* ]] ||
    fail "not hardened: $flags"
done < <(find "$work" -type f -perm -u+x -print0)

# No capability yet: the installed dorvex-cli is refused, and says why.
! as_nobody "$cli" --interface lo --seconds 1 >"$out" 2>&1 || fail "captured without the capability"
grep -q "capture not permitted" "$out" || fail "no reason for the refusal"
setcap cap_net_raw+ep "$helper" 2>/dev/null || { echo "skipped: no capabilities here"; exit 77; }
recipe=$(awk '/^    sudo groupadd/ { on = 1 } on && !/^    / { exit } on' "$source_dir/README.md")
sed "s|/usr/local|$work|g; s/sudo //g; s/dorvex /$group /g" <<<"$recipe" | USER=nobody bash -e ||
  fail "the README's group recipe: $recipe"
caps=$(getcap -r "$work")
[[ $caps == "$helper cap_net_raw=ep" ]] || fail "getcap -r shows other than the helper's: $caps"

# A world list reply on loopback reaches the unprivileged group member through the helper.
as_nobody "$cli" --interface lo --replies 1 --seconds 10 >"$out" 2>&1 &
sleep 1
python3 "$source_dir/tests/e2e/world_list_reply.py"
wait $! || fail "dorvex-cli as nobody failed"
grep -q "【ログイン日時】" "$out" || fail "no report"
echo "PASS: after the README's group recipe only the helper holds a capability; a member captured"
