# The privileged steps of setup.sh and start.sh (sourced by them): run directly as root, through
# sudo otherwise. The build itself never runs as root for a user, so the checkout stays theirs.

# True when this process is root.
is_root() { [[ $(id -u) -eq 0 ]]; }

# True when privileged steps can run: as root, or through sudo. A user whom sudo lets in without a
# password (or who gave it a moment ago) passes `sudo -n true`; `sudo -v` would ask even them, as
# sudo's default verifypw=all demands. Otherwise sudo asks for the password, once, on the
# terminal, and keeps it for the next steps.
can_run_as_root() {
  is_root && return 0
  command -v sudo >/dev/null || return 1
  sudo -n true 2>/dev/null || sudo -v
}

# The path of a system tool (getcap, setcap): from PATH, else from /usr/sbin or /sbin, which are
# not on a plain user's PATH. Fails when it is in none of them.
system_tool() {
  local dir
  command -v "$1" && return 0
  for dir in /usr/sbin /sbin; do
    [[ -x $dir/$1 ]] && { echo "$dir/$1"; return 0; }
  done
  return 1
}

# Runs a command as root.
as_root() {
  if is_root; then "$@"; else sudo "$@"; fi
}

# The command line (a string) as a line to paste into a shell: su -c '...'.
su_command() {
  echo "su -c '${1//\'/\'\\\'\'}'"
}

# The words as one shell command line, each quoted when needed.
shell_words() {
  local words=() word
  for word in "$@"; do words+=("$(printf '%q' "$word")"); done
  echo "${words[*]}"
}
