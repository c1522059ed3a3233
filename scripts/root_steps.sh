# The privileged steps of setup.sh and start.sh (sourced by them): run directly as root, through
# sudo otherwise. The build itself never runs as root for a user, so the checkout stays theirs.

# True when this process is root.
is_root() { [[ $(id -u) -eq 0 ]]; }

# True when privileged steps can run: as root, or through sudo once it has the password (sudo
# keeps it for the next steps, so the user is asked once).
can_run_as_root() {
  is_root && return 0
  command -v sudo >/dev/null && sudo -v
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
