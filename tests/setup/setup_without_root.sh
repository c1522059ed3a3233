#!/usr/bin/env bash
# The README's commands as nobody (a user's PATH: no /usr/sbin) in throwaway checkouts of the tiny
# project, with stand-in sudos that record their calls and run nothing: only the package install
# and the helper's missing grant go through a sudo that asks for a password (once) or needs none;
# with a sudo that refuses, or none, test.sh stops before building and prints the root command.
#   setup_without_root.sh SOURCE_DIR      exit 77 (skipped) without root or setpriv
set -euo pipefail
source_dir=$1
source "$source_dir/tests/setup/common.sh"
need_root setpriv
make_work nonroot

# A stand-in sudo in BIN, its calls in BIN/calls. MODE password: -n fails until -v asked for the
# password (sudo keeps it); nopasswd: only -v fails (verifypw=all); refuse: all fail.
make_sudo() {
  mkdir -p "$1"
  cat >"$1/sudo" <<SUDO
#!/bin/sh
echo "\$*" >>"$1/calls"
case $2:\$1 in
  refuse:*) echo "Sorry, user \$(id -un) may not run sudo." >&2; exit 1 ;;
  nopasswd:-v) echo "sudo: a password is required" >&2; exit 1 ;;
  password:-n) [ -e "$1/asked" ] ;;
  password:-v) echo "password asked" >>"$1/calls"; : >"$1/asked" ;;
esac
SUDO
  chmod 0755 "$1/sudo"
}
system_path=/usr/local/bin:/usr/bin:/bin
# Runs SCRIPT as nobody, BIN first on the PATH, without a display or a terminal. Only files not
# yet nobody's are handed over: a change of owner clears a file's capability.
run() {
  find "$work" ! -user nobody -exec chown nobody:nogroup {} +
  as_nobody env -i PATH="$1:$system_path" HOME="$work" "$2" </dev/null >"$out" 2>&1
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
  run "$work/$mode-sudo" "$work/$mode/scripts/${script[$mode]}" || status=$?
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
  run "$work/password-sudo" "$work/password/scripts/start.sh" || fail "start.sh failed with the grant"
  [[ ! -e $work/password-sudo/calls ]] || fail "asked sudo for $(cat "$work/password-sudo/calls")"
fi
echo "PASS: only the install and a missing grant go through sudo (cases: ${modes[*]})"
