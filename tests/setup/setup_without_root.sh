#!/usr/bin/env bash
# The README's commands as nobody (a user's PATH: no /usr/sbin) in throwaway checkouts of a tiny
# project, with stand-in sudos that record their calls and run nothing: only the package install
# and the helper's missing grant go through a sudo that asks for a password (once) or needs none;
# with a sudo that refuses, or none, test.sh stops before building and prints the root command.
#   setup_without_root.sh SOURCE_DIR
# Exit 77 (skipped) without root or setpriv.
set -euo pipefail
source_dir=$1
source "$source_dir/tests/setup/checkout.sh"
if [[ $(id -u) -ne 0 ]] || ! command -v setpriv >/dev/null; then
  echo "skipped: needs root and setpriv"
  exit 77
fi
work=$(mktemp -d /tmp/dorvex-nonroot.XXXXXX)
trap 'rm -rf "$work"' EXIT
out=$work/out.txt
fail() { echo "FAIL: $*"; cat "$out"; exit 1; }

# A stand-in sudo in BIN, its calls in BIN/calls. MODE password: -n fails until -v asked for the
# password (sudo keeps it); nopasswd: only -v fails (verifypw=all); refuse: all fail.
make_sudo() {
  local bin=$1 mode=$2
  mkdir -p "$bin"
  cat >"$bin/sudo" <<SUDO
#!/bin/sh
echo "\$*" >>"$bin/calls"
case $mode:\$1 in
  refuse:*) echo "Sorry, user \$(id -un) may not run sudo." >&2; exit 1 ;;
  nopasswd:-v) echo "sudo: a password is required" >&2; exit 1 ;;
  password:-n) [ -e "$bin/asked" ] ;;
  password:-v) echo "password asked" >>"$bin/calls"; : >"$bin/asked" ;;
esac
SUDO
  chmod 0755 "$bin/sudo"
}
system_path=/usr/local/bin:/usr/bin:/bin
# Runs a script as nobody, PATH first, without a display or a terminal. Only files not yet
# nobody's are handed over: a change of owner clears a file's capability.
as_nobody() {
  local path=$1
  shift
  find "$work" ! -user nobody -exec chown nobody:nogroup {} +
  setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i PATH="$path:$system_path" HOME="$work" "$@" </dev/null
}

install="env DEBIAN_FRONTEND=noninteractive apt-get -q update
env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends dorvex-absent-package -q"
grant="/usr/sbin/setcap cap_net_raw+ep build/tools/dorvex-capture/dorvex-capture"
root_command="su -c 'apt-get update && apt-get install -y --no-install-recommends dorvex-absent-package'"
declare -A script=([password]=start.sh [nopasswd]=test.sh [refuse]=test.sh [none]=test.sh)
declare -A calls=([password]=$'-n true\n-v\npassword asked\n'"$install"$'\n-n true\n'"$grant"
  [nopasswd]=$'-n true\n'"$install" [refuse]=$'-n true\n-v' [none]=)
declare -A shows=([password]="dorvex-cli ran with 1 arguments" [nopasswd]="100% tests passed"
  [refuse]=$root_command [none]=$root_command)
modes=(password nopasswd refuse)
PATH=$system_path command -v sudo >/dev/null || modes+=(none)
for mode in "${modes[@]}"; do
  make_checkout "$work/$mode" coreutils dorvex-absent-package
  [[ $mode == none ]] || make_sudo "$work/$mode-sudo" $mode
  status=0
  as_nobody "$work/$mode-sudo" "$work/$mode/scripts/${script[$mode]}" >"$out" 2>&1 || status=$?
  [[ $(cat "$work/$mode-sudo/calls" 2>/dev/null) == "${calls[$mode]}" ]] ||
    fail "sudo $mode was asked for: $(cat "$work/$mode-sudo/calls")"
  grep -qF -- "${shows[$mode]}" "$out" || fail "no '${shows[$mode]}' with sudo $mode"
  case $mode in
    password | nopasswd) ((status == 0)) || fail "${script[$mode]} failed with sudo $mode" ;;
    *) ((status != 0)) && [[ ! -e $work/$mode/build ]] || fail "test.sh built with sudo $mode" ;;
  esac
done
# Once the helper holds the capability (and no package is missing), a start asks sudo for nothing.
echo coreutils >"$work/password/scripts/packages.txt"
if setcap cap_net_raw+ep "$work/password/${grant##* }" 2>/dev/null; then
  rm "$work/password-sudo/calls"
  as_nobody "$work/password-sudo" "$work/password/scripts/start.sh" >"$out" 2>&1 ||
    fail "start.sh failed with the grant in place"
  [[ ! -e $work/password-sudo/calls ]] || fail "asked sudo for $(cat "$work/password-sudo/calls")"
fi
echo "PASS: only the install and a missing grant go through sudo (cases: ${modes[*]})"
