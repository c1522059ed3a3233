# Phase "packages" of scripts/windows.sh (sourced): installs the Debian packages the Windows
# toolchain needs when missing, through apt as scripts/setup.sh does (root, or sudo).

# The packages, one or more a line.
win_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine64 wine nsis cmake ninja-build pkg-config dpkg-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  gcc make tcl flex bison xvfb xauth imagemagick fonts-noto-cjk
)

win_phase_packages() {
  local phase=packages p missing=() install apt_options=(-q)
  for p in "${win_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  install=(apt-get install -y --no-install-recommends "${missing[@]}")
  win_begin "$phase" "installing ${#missing[@]} missing Debian packages (${missing[*]})"
  if ! can_run_as_root; then
    echo "windows: cannot become root (no sudo, or sudo refused). Run this as root, then run" \
      "this command again:" >&2
    echo "  $(su_command "apt-get update && $(shell_words "${install[@]}")")" >&2
    exit 1
  fi
  [[ -t 1 ]] && apt_options=(-o Dpkg::Progress-Fancy=1)
  as_root env DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" update ||
    win_fail "$phase" "apt-get update failed"
  as_root env DEBIAN_FRONTEND=noninteractive "${install[@]}" "${apt_options[@]}" ||
    win_fail "$phase" "installing ${missing[*]} failed"
}
