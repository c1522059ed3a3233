#!/usr/bin/env bash
# The README's commands as an unprivileged user (nobody) in a throwaway checkout (its scripts beside
# a tiny project), with stand-ins for sudo that record their calls and run nothing:
# - a sudo that grants: scripts/start.sh sends exactly the install of the missing package and the
#   helper's capability grant through it (never the build, which runs as the user), is asked for
#   the password once, and starts the program it built;
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

# A stand-in sudo in BIN: records each call in BIN/calls; asks for "the password" on the first call
# only, as sudo does while it keeps the credentials; grants (exit 0) or refuses (exit 1).
make_sudo() {
  local bin=$1 answer=$2
  mkdir -p "$bin"
  cat >"$bin/sudo" <<SUDO
#!/bin/sh
[ -e "$bin/asked" ] || { echo "password asked" >>"$bin/calls"; : >"$bin/asked"; }
echo "\$*" >>"$bin/calls"
[ $answer = grant ] || { echo "Sorry, user \$(id -un) may not run sudo." >&2; exit 1; }
SUDO
  chmod 0755 "$bin/sudo"
}
system_path=/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
# Runs a checkout's script as nobody, with PATH first, without a display or a terminal.
as_nobody() {
  local path=$1
  shift
  chown -R nobody:nogroup "$work"
  setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i PATH="$path:$system_path" HOME="$work" "$@" </dev/null
}

make_checkout "$work/granted" coreutils dorvex-absent-package
make_sudo "$work/granting" grant
as_nobody "$work/granting" "$work/granted/scripts/start.sh" >"$out" 2>&1 || fail "start.sh failed"
expected="password asked
-v
env DEBIAN_FRONTEND=noninteractive apt-get -q update
env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends dorvex-absent-package -q
-v
setcap cap_net_raw+ep build/tools/dorvex-capture/dorvex-capture"
[[ $(cat "$work/granting/calls") == "$expected" ]] ||
  fail "sudo was asked for: $(cat "$work/granting/calls")"
grep -q 'dorvex-cli ran with 1 arguments' "$out" || fail "the program did not start"

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
[[ $(cat "$work/refusing-sudo/calls") == $'password asked\n-v' ]] ||
  fail "the refusing sudo was asked for: $(cat "$work/refusing-sudo/calls")"
echo "PASS: as a user, sudo runs only the install and the grant (one password); without it, the" \
  "command for root (sudo cases: ${cases[*]})"
