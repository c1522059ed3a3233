#!/usr/bin/env bash
# The README's commands as an unprivileged user (nobody, with a user's PATH, without /usr/sbin) in a
# throwaway checkout (its scripts beside a tiny project), with stand-ins for sudo that record their
# calls and run nothing:
# - a sudo that asks for a password: scripts/start.sh sends exactly the install of the missing
#   package and the helper's capability grant through it (never the build, which runs as the
#   user), asks for the password once, and starts the program it built; once the helper holds
#   the capability, a start asks sudo for nothing;
# - a sudo that needs no password (NOPASSWD, whose `sudo -v` still asks): scripts/test.sh installs
#   through it without asking and runs the tests;
# - a sudo that refuses, and no sudo at all: scripts/test.sh stops before building and prints the
#   command to run as root.
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
chmod 0755 "$work"
out=$work/out.txt
fail() { echo "FAIL: $*"; cat "$out"; exit 1; }

# A stand-in sudo in BIN that records each call in BIN/calls. MODE password: `-n` fails until the
# password was asked (by -v), as sudo keeps it; nopasswd: only -v fails; refuse: all fail.
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
# Runs a checkout's script as nobody, with PATH first, without a display or a terminal. Files are
# handed to nobody only when not yet theirs: a change of owner would clear a file's capability.
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
declare -A script=([password]=start.sh [nopasswd]=test.sh)
declare -A ran=([password]="dorvex-cli ran with 1 arguments" [nopasswd]="100% tests passed")
declare -A calls=([password]=$'-n true\n-v\npassword asked\n'"$install"$'\n-n true\n'"$grant"
  [nopasswd]=$'-n true\n'"$install")
for mode in password nopasswd; do
  make_checkout "$work/$mode" coreutils dorvex-absent-package
  make_sudo "$work/$mode-sudo" $mode
  as_nobody "$work/$mode-sudo" "$work/$mode/scripts/${script[$mode]}" >"$out" 2>&1 ||
    fail "${script[$mode]} failed with sudo $mode"
  [[ $(cat "$work/$mode-sudo/calls") == "${calls[$mode]}" ]] ||
    fail "sudo $mode was asked for: $(cat "$work/$mode-sudo/calls")"
  grep -q "${ran[$mode]}" "$out" || fail "no '${ran[$mode]}' with sudo $mode"
done
# Once the helper holds the capability (and no package is missing), a start asks sudo for nothing.
echo coreutils >"$work/password/scripts/packages.txt"
if setcap cap_net_raw+ep "$work/password/${grant##* }" 2>/dev/null; then
  rm "$work/password-sudo/calls"
  as_nobody "$work/password-sudo" "$work/password/scripts/start.sh" >"$out" 2>&1 ||
    fail "start.sh failed with the grant in place"
  [[ ! -e $work/password-sudo/calls ]] || fail "asked sudo for $(cat "$work/password-sudo/calls")"
fi

root_command="  su -c 'apt-get update && apt-get install -y --no-install-recommends dorvex-absent-package'"
cases=(refusing)
if ! PATH=$system_path command -v sudo >/dev/null; then cases+=(none); fi
for sudo_case in "${cases[@]}"; do
  make_checkout "$work/$sudo_case" coreutils dorvex-absent-package
  path=$work/no-sudo-here
  if [[ $sudo_case == refusing ]]; then
    make_sudo "$work/refusing-sudo" refuse
    path=$work/refusing-sudo
  fi
  if as_nobody "$path" "$work/$sudo_case/scripts/test.sh" >"$out" 2>&1; then
    fail "test.sh went on with sudo $sudo_case"
  fi
  grep -qxF "$root_command" "$out" || fail "no root command with sudo $sudo_case"
  [[ ! -e $work/$sudo_case/build ]] || fail "built with sudo $sudo_case"
done
[[ $(cat "$work/refusing-sudo/calls") == $'-n true\n-v' ]] ||
  fail "the refusing sudo was asked for: $(cat "$work/refusing-sudo/calls")"
echo "PASS: as a user, sudo (with a password or none) runs only the install and a missing grant;" \
  "without it, the command for root (sudo cases: ${cases[*]})"
