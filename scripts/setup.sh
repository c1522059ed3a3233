#!/usr/bin/env bash
# Installs the Debian packages Dorvex needs (when missing), then configures and builds it.
#   scripts/setup.sh              normal build in build/
#   scripts/setup.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/setup.sh --fuzz       clang libFuzzer build in build-fuzz/
# Quiet and quick when everything is already installed and built.
set -euo pipefail
cd "$(dirname "$0")/.."

variant=normal
case "${1:-}" in
  "") ;;
  --sanitize) variant=sanitize ;;
  --fuzz) variant=fuzz ;;
  *) echo "setup.sh: unknown option '$1' (use --sanitize or --fuzz)" >&2; exit 2 ;;
esac

packages=(
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpcap-dev libcap2-bin
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-noto-cjk fonts-ipafont-gothic fonts-dejavu-core fonts-droid-fallback
  xvfb xauth xdotool xclip python3
  tshark iproute2 time
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

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

if [[ ! -f "$dir/CMakeCache.txt" ]]; then
  cmake -S . -B "$dir" -G Ninja -Wno-dev -DDORVEX_WARNINGS_AS_ERRORS="$werror" "${args[@]}" >/dev/null
fi
log="$dir/build.log"
if ! cmake --build "$dir" -j "$jobs" >"$log" 2>&1; then
  cat "$log" >&2
  echo "setup: the build in $dir failed (log: $log)" >&2
  exit 1
fi
grep -E 'warning:' "$log" >&2 || true
