#!/usr/bin/env bash
# Installs the Debian packages Dorvex needs (when missing), then configures and builds it.
#   scripts/setup.sh              normal build in build/
#   scripts/setup.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/setup.sh --fuzz       clang libFuzzer build in build-fuzz/
# Each phase that has work to do says so in one line and shows its progress: the package tool's
# own output, the build's [done/total] counter (one updating line on a terminal, a line every
# tenth otherwise). Quiet and quick when everything is already installed and built.
# As a user, only the package install runs as root (through sudo); without sudo, it stops before
# building and prints the command to run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/root_steps.sh
source scripts/progress.sh

variant=normal
case "${1:-}" in
  "") ;;
  --sanitize) variant=sanitize ;;
  --fuzz) variant=fuzz ;;
  *) echo "setup.sh: unknown option '$1' (use --sanitize or --fuzz)" >&2; exit 2 ;;
esac

# ---- packages ---------------------------------------------------------------------------------
read -r -a packages <<<"$(sed 's/#.*//' scripts/packages.txt | tr '\n' ' ')"
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  install=(apt-get install -y --no-install-recommends "${missing[@]}")
  plural=s
  ((${#missing[@]} == 1)) && plural=
  echo "setup: packages: installing ${#missing[@]} missing Debian package$plural (${missing[*]})"
  if ! is_root && command -v sudo >/dev/null; then
    echo "setup: packages: that needs root; sudo may ask for your password (once)"
  fi
  if ! can_run_as_root; then
    echo "setup: cannot become root (no sudo, or sudo refused). Run this as root, then run this" \
      "command again:" >&2
    echo "  $(su_command "apt-get update && $(shell_words "${install[@]}")")" >&2
    exit 1
  fi
  # One plain line a step when not on a terminal; dpkg's progress bar on one.
  apt_options=(-q)
  [[ -t 1 ]] && apt_options=(-o Dpkg::Progress-Fancy=1)
  as_root env DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" update
  as_root env DEBIAN_FRONTEND=noninteractive "${install[@]}" "${apt_options[@]}"
fi

# ---- configure ----------------------------------------------------------------------------------
jobs=$(nproc)
# CI fails the build on any warning.
werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
case "$variant" in
  normal)
    dir=build
    args=() ;;
  sanitize)
    dir=build-asan
    args=(-DDORVEX_SANITIZE=ON -DDORVEX_BENCH=OFF) ;;
  fuzz)
    dir=build-fuzz
    args=(-DCMAKE_CXX_COMPILER=clang++ -DDORVEX_FUZZ=ON -DDORVEX_SANITIZE=ON -DDORVEX_BENCH=OFF
          -DDORVEX_GUI=OFF) ;;
esac
if [[ -e $dir && ! -w $dir ]]; then
  echo "setup: $dir/ is not yours to write (made by root?); remove it, then run this again:" >&2
  echo "  $(su_command "rm -rf $(shell_words "$PWD/$dir")")" >&2
  exit 1
fi

if [[ ! -f "$dir/CMakeCache.txt" ]]; then
  echo "setup: configure: cmake into $dir/"
  mkdir -p "$dir"
  if ! cmake -S . -B "$dir" -G Ninja -Wno-dev -DDORVEX_WARNINGS_AS_ERRORS="$werror" "${args[@]}" \
    >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log" >&2
    echo "setup: configuring $dir failed (log: $dir/configure.log)" >&2
    exit 1
  fi
fi
log="$dir/build.log"

# ---- build --------------------------------------------------------------------------------------
if ! build_with_progress setup "$dir" "$log" "$jobs"; then
  cat "$log" >&2
  echo "setup: the build in $dir failed (log: $log)" >&2
  exit 1
fi
grep -E 'warning:' "$log" >&2 || true
