#!/usr/bin/env bash
# Builds the Debian package dorvex_<version>_amd64.deb from a clean Release build and prints its
# path on stdout; its steps and the build's progress go to stderr. Needs the packages of
# scripts/packages.txt (dpkg-shlibdeps comes with dpkg-dev).
#   scripts/package.sh [BUILD_DIR]    (default: build-package/)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/progress.sh
dir=${1:-build-package}
rm -rf "$dir"
mkdir -p "$dir"
echo "package: configure: cmake into $dir/ (Release, prefix /usr)" >&2
cmake -S . -B "$dir" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DDORVEX_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >"$dir/configure.log" 2>&1 ||
  { cat "$dir/configure.log" >&2; exit 1; }
# Only what the package holds; the tests are not built. Progress as in setup.sh, on stderr.
build_with_progress package "$dir" "$dir/build.log" "$(nproc)" dorvex dorvex-cli dorvex-capture \
  dorvex_install_files >&2 || { cat "$dir/build.log" >&2; exit 1; }
echo "package: cpack -G DEB" >&2
(cd "$dir" && cpack -G DEB) >"$dir/cpack.log" 2>&1 || { cat "$dir/cpack.log" >&2; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$dir/CPackConfig.cmake")
deb=$(realpath "$dir")/dorvex_${version}_amd64.deb
[[ -f $deb ]] || { echo "package: cpack made no $deb" >&2; exit 1; }
echo "$deb"
