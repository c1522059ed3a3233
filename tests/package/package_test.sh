#!/usr/bin/env bash
# Builds the Debian package with cpack from BUILD_DIR, checks it with lintian, installs it as the
# README says into a throwaway Debian 12 root (debootstrap, kept with the downloaded packages in
# BUILD_DIR/package-test/ for later runs) and checks the installed copy: dorvex-cli's version and
# report (the same as CLI's, the build tree's), a font for Japanese, desktop entry, metainfo,
# manual pages, the helper's capability and no other (also after the post-install message's group
# recipe); then that a purge leaves none of its files. DORVEX_DEBIAN_MIRROR overrides the mirror.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION CLI
# Exit 77 (skipped) without root or debootstrap.
set -euo pipefail
build=$(realpath "$1")
source_dir=$(realpath "$2")
version=$3
cli=$4
if [[ $(id -u) -ne 0 ]] || ! command -v debootstrap >/dev/null; then
  echo "skipped: needs root and debootstrap"
  exit 77
fi
for tool in cpack lintian desktop-file-validate appstreamcli man dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (setup.sh installs it)"; exit 1; }
done

work=$build/package-test
base=$work/bookworm             # the cached Debian root, as debootstrap left it
archives=$work/archives         # packages downloaded into the throwaway roots, kept for the next
root=$work/root                 # this run's throwaway copy of the Debian root
mirror=${DORVEX_DEBIAN_MIRROR:-http://deb.debian.org/debian}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
step() { printf '%s [%4ss] %s\n' "package_test:" "$SECONDS" "$*"; }
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 HOME=/root \
    DEBIAN_FRONTEND=noninteractive "$@"
}
cleanup() { rm -rf --one-file-system "$root" "$work/cpack"; }
trap cleanup EXIT
mkdir -p "$work" "$archives"
cleanup

# ---- the package ------------------------------------------------------------------------------
step "cpack -G DEB"
cpack -G DEB -B "$work/cpack" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb_name=dorvex_${version}_amd64.deb
deb=$work/cpack/$deb_name
[[ -f $deb ]] || { ls "$work/cpack"; echo "FAIL: cpack made no $deb_name"; exit 1; }
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"

step "lintian"
# Errors fail; warnings are shown.
lintian --allow-root --fail-on error --display-info "$deb" || fail "lintian reports errors"

# ---- the throwaway Debian root -----------------------------------------------------------------
if [[ ! -f $base/.complete ]]; then
  step "debootstrap --variant=minbase bookworm (once; kept in $base)"
  rm -rf --one-file-system "$base"
  debootstrap --variant=minbase --include=sudo bookworm "$base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log"; echo "FAIL: debootstrap"; exit 1; }
  rm -f "$base"/var/cache/apt/archives/*.deb
  touch "$base/.complete"
fi
step "copy the Debian root"
cp -a "$base" "$root"
cp -a "$archives/." "$root/var/cache/apt/archives/"
# apt answers its own questions, so the README's command runs as written, and keeps the packages
# it downloads for the next run.
printf '%s\n' 'APT::Get::Assume-Yes "true";' 'Binary::apt::APT::Keep-Downloaded-Packages "true";' \
  >"$root/etc/apt/apt.conf.d/90package-test"
cp "$deb" "$root/tmp/"

# ---- install as the README says ----------------------------------------------------------------
readme_line=$(grep -oE 'sudo apt install \./dorvex_[^ ]+_amd64\.deb' "$source_dir/README.md" | head -1)
[[ $readme_line == "sudo apt install ./$deb_name" ]] ||
  fail "README's install command '$readme_line' does not name $deb_name"
step "in the root: $readme_line"
if ! in_root sh -c "cd /tmp && sudo apt install ./$deb_name" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: installing the package"
  exit 1
fi
cp -an "$root"/var/cache/apt/archives/*.deb "$archives/"
grep -q "granted cap_net_raw" "$work/install.log" ||
  { grep "^dorvex:" "$work/install.log"; fail "post-install step did not grant the capability"; }

# ---- the installed copy -------------------------------------------------------------------------
step "installed programs"
[[ $(in_root dorvex-cli --version) == "dorvex-cli $version" ]] ||
  fail "dorvex-cli --version: $(in_root dorvex-cli --version 2>&1)"
sample=/usr/share/doc/dorvex/examples/world_list_reply.bin
installed_report=$(in_root dorvex-cli "$sample" | tail -n +2) || fail "installed dorvex-cli on $sample"
built_report=$(env LC_ALL=C.UTF-8 "$cli" "$source_dir/samples/world_list_reply.bin" | tail -n +2)
[[ -n $built_report && $installed_report == "$built_report" ]] ||
  fail "installed dorvex-cli's report differs from the build tree's:
$(diff <(echo "$built_report") <(echo "$installed_report"))"
# The package brings a font for the report's Japanese text (without one it shows empty boxes).
[[ -n $(in_root fc-list :lang=ja family) ]] || fail "no font with Japanese characters installed"
missing=$(in_root ldd /usr/bin/dorvex /usr/bin/dorvex-cli /usr/libexec/dorvex/dorvex-capture |
  grep "not found" || true)
[[ -z $missing ]] || fail "libraries not found: $missing"
# The window starts on the offscreen platform (a user without a home of its own, like a first
# start); a missing platform plugin or library ends it at once.
window_status=0
in_root setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/tmp/nobody \
  QT_QPA_PLATFORM=offscreen timeout 3 dorvex >"$work/window.log" 2>&1 || window_status=$?
[[ $window_status -eq 124 ]] ||
  fail "the window ended by itself (status $window_status): $(cat "$work/window.log")"

step "capabilities"
# The post-install message's group recipe must leave the capability in place.
grep -E '^  (groupadd|dpkg-statoverride|setcap) ' "$work/install.log" | sed 's/USER/nobody/' |
  in_root sh -e || fail "the post-install message's group recipe"
caps=$(in_root getcap -r /usr 2>/dev/null)
[[ $caps == "/usr/libexec/dorvex/dorvex-capture cap_net_raw=ep" ]] ||
  fail "getcap -r /usr shows more or other than the helper's one capability: $caps"

# Where the file system refuses capabilities (a setcap that fails stands in for it), the
# post-install step still succeeds and says how to capture anyway.
mkdir -p "$root/tmp/refusing"
printf '#!/bin/sh\necho "Failed to set capabilities on file" >&2\nexit 1\n' >"$root/tmp/refusing/setcap"
chmod 0755 "$root/tmp/refusing/setcap"
refusal=$(chroot "$root" /usr/bin/env -i PATH=/tmp/refusing:/usr/sbin:/usr/bin:/sbin:/bin \
  /var/lib/dpkg/info/dorvex.postinst configure 2>&1) || fail "postinst fails when setcap does"
grep -q "refused" <<<"$refusal" && grep -q "as root" <<<"$refusal" ||
  fail "postinst does not say that capabilities were refused and to run as root: $refusal"

step "desktop entry, metainfo, manual pages"
desktop-file-validate "$root/usr/share/applications/dorvex.desktop" ||
  fail "desktop-file-validate"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli validate"
for page in dorvex dorvex-cli; do
  file=$root/usr/share/man/man1/$page.1.gz
  text=$(MANWIDTH=80 man --warnings -l "$file" 2>"$work/man.err") || fail "man -l $page.1.gz"
  [[ ! -s $work/man.err ]] || fail "man -l $page.1.gz warns: $(cat "$work/man.err")"
  grep -q "^NAME" <<<"$text" || fail "man -l $page.1.gz renders no NAME section"
done
for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256 scalable; do
  compgen -G "$root/usr/share/icons/hicolor/$size/apps/dorvex.*" >/dev/null || fail "no $size icon"
done

# ---- removal -----------------------------------------------------------------------------------
step "apt-get remove --purge dorvex"
mapfile -t owned < <(in_root dpkg -L dorvex)
in_root apt-get remove --purge -y dorvex >"$work/remove.log" 2>&1 ||
  { cat "$work/remove.log"; fail "apt-get remove --purge dorvex"; }
for path in "${owned[@]}"; do
  [[ -e $root$path || -L $root$path ]] || continue
  # Folders that other packages hold too (/usr/bin, /usr/share/man/man1, ...) stay.
  if [[ -d $root$path ]] && in_root dpkg-query -S "$path" >/dev/null 2>&1; then continue; fi
  fail "left behind after purge: $path"
done
leftovers=$(find "$root" -xdev -iname '*dorvex*' -not -path "$root/tmp/*" \
  -not -path "$root/var/lib/dpkg/*" -not -path "$root/var/log/*" -not -path "$root/var/cache/*" |
  sed "s|^$root||")
[[ -z $leftovers ]] || fail "files named after dorvex left behind: $leftovers"

((failures == 0)) || { echo "package_test: $failures failure(s) in ${SECONDS}s"; exit 1; }
echo "PASS: $deb_name installs, works and purges cleanly in a Debian 12 root (${SECONDS}s)"
