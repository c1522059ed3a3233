#!/usr/bin/env bash
# Builds the Debian package with cpack from BUILD_DIR, checks it with lintian, installs it as the
# README says into a throwaway Debian 12 root (debootstrap, kept with the downloaded packages in
# BUILD_DIR/package-test/ for later runs) and checks the installed copy: dorvex-cli's version and
# report (the build tree's), a font for Japanese, that the window starts, the helper's capability
# and no other (also after the post-install message's group recipe, and a post-install step that
# succeeds where capabilities are refused), desktop entry, metainfo, manual pages, icons; then that
# a purge leaves none of its files. DORVEX_DEBIAN_MIRROR overrides the mirror.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION CLI      exit 77 (skipped) without root/debootstrap
set -euo pipefail
build=$(realpath "$1") source_dir=$(realpath "$2") version=$3 cli=$4
source "$source_dir/tests/setup/common.sh"
need_root debootstrap
for tool in cpack lintian desktop-file-validate appstreamcli man dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || fail "$tool is missing (setup.sh installs it)"
done
cache=$build/package-test                        # the Debian root as debootstrap left it, packages
root=$cache/root deb_name=dorvex_${version}_amd64.deb
step() { printf 'package_test: [%4ss] %s\n' "$SECONDS" "$*"; }
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 HOME=/root \
    DEBIAN_FRONTEND=noninteractive "$@"
}
make_work package
cleanup='rm -rf --one-file-system "$root"'
rm -rf --one-file-system "$root" && mkdir -p "$cache/archives"

step "cpack -G DEB; lintian"
out=$work/cpack.log
cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$out" 2>&1 || fail "cpack"
[[ -f $work/$deb_name ]] || fail "cpack made no $deb_name"
out=
lintian --allow-root --fail-on error --display-info "$work/$deb_name" || fail "lintian reports errors"

if [[ ! -f $cache/bookworm/.complete ]]; then
  step "debootstrap --variant=minbase bookworm (once; kept in $cache/bookworm)"
  rm -rf --one-file-system "$cache/bookworm"
  out=$work/debootstrap.log
  debootstrap --variant=minbase --include=sudo bookworm "$cache/bookworm" \
    "${DORVEX_DEBIAN_MIRROR:-http://deb.debian.org/debian}" >"$out" 2>&1 || fail "debootstrap"
  rm -f "$cache/bookworm"/var/cache/apt/archives/*.deb
  touch "$cache/bookworm/.complete"
fi
cp -a "$cache/bookworm" "$root"
cp -a "$cache/archives/." "$root/var/cache/apt/archives/"
# apt answers its own questions, so the README's command runs as written, and keeps the packages.
printf '%s\n' 'APT::Get::Assume-Yes "true";' 'Binary::apt::APT::Keep-Downloaded-Packages "true";' \
  >"$root/etc/apt/apt.conf.d/90package-test"
cp "$work/$deb_name" "$root/tmp/"

readme_line=$(grep -oE 'sudo apt install \./dorvex_[^ ]+_amd64\.deb' "$source_dir/README.md" | head -1)
[[ $readme_line == "sudo apt install ./$deb_name" ]] || fail "README's '$readme_line' is not $deb_name"
step "in the root: $readme_line"
out=$work/install.log
in_root sh -c "cd /tmp && $readme_line" >"$out" 2>&1 || fail "installing the package"
cp -an "$root"/var/cache/apt/archives/*.deb "$cache/archives/"
grep -q "granted cap_net_raw" "$out" || fail "post-install step did not grant the capability"
install_log=$out out=

step "installed programs"
[[ $(in_root dorvex-cli --version) == "dorvex-cli $version" ]] || fail "dorvex-cli --version"
installed=$(in_root dorvex-cli /usr/share/doc/dorvex/examples/world_list_reply.bin | tail -n +2)
built=$(LC_ALL=C.UTF-8 "$cli" "$source_dir/samples/world_list_reply.bin" | tail -n +2)
[[ -n $built && $installed == "$built" ]] || fail "the installed report differs from the build's:
$(diff <(echo "$built") <(echo "$installed"))"
# The package brings a font for the report's Japanese text (without one it shows empty boxes).
[[ -n $(in_root fc-list :lang=ja family) ]] || fail "no font with Japanese characters installed"
! in_root ldd /usr/bin/dorvex /usr/bin/dorvex-cli /usr/libexec/dorvex/dorvex-capture |
  grep "not found" || fail "libraries not found"
# The window starts offscreen for a user without a home of its own (a missing plugin ends it).
status=0
in_root setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/tmp/nobody \
  QT_QPA_PLATFORM=offscreen timeout 3 dorvex >"$work/window.log" 2>&1 || status=$?
((status == 124)) || fail "the window ended by itself ($status): $(cat "$work/window.log")"

step "capabilities"
grep -E '^  (groupadd|dpkg-statoverride|setcap) ' "$install_log" | sed 's/USER/nobody/' |
  in_root sh -e || fail "the post-install message's group recipe"
caps=$(in_root getcap -r /usr 2>/dev/null)
[[ $caps == "/usr/libexec/dorvex/dorvex-capture cap_net_raw=ep" ]] || fail "getcap -r /usr: $caps"
# Where the file system refuses capabilities (a failing setcap stands in), the post-install step
# still succeeds and says how to capture anyway.
mkdir -p "$root/tmp/refusing"
printf '#!/bin/sh\necho "Failed to set capabilities on file" >&2\nexit 1\n' >"$root/tmp/refusing/setcap"
chmod 0755 "$root/tmp/refusing/setcap"
refusal=$(chroot "$root" /usr/bin/env -i PATH=/tmp/refusing:/usr/sbin:/usr/bin:/sbin:/bin \
  /var/lib/dpkg/info/dorvex.postinst configure 2>&1) || fail "postinst fails when setcap does"
grep -q "refused" <<<"$refusal" && grep -q "as root" <<<"$refusal" || fail "postinst: $refusal"

step "desktop entry, metainfo, manual pages, icons"
desktop-file-validate "$root/usr/share/applications/dorvex.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli"
for page in dorvex dorvex-cli; do
  text=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>"$work/man.err")
  [[ ! -s $work/man.err && $text == *$'\n'NAME* ]] || fail "man $page: $(cat "$work/man.err")"
done
for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256 scalable; do
  compgen -G "$root/usr/share/icons/hicolor/$size/apps/dorvex.*" >/dev/null || fail "no $size icon"
done

step "apt-get remove --purge dorvex"
out=$work/remove.log
in_root apt-get remove --purge -y dorvex >"$out" 2>&1 || fail "apt-get remove --purge dorvex"
left=$(find "$root" -xdev -iname '*dorvex*' -not -path "$root/tmp/*" -not -path "$root/var/lib/dpkg/*" \
  -not -path "$root/var/log/*" -not -path "$root/var/cache/*" | sed "s|^$root||")
[[ -z $left ]] || fail "files named after dorvex left behind: $left"
echo "PASS: $deb_name installs, works and purges cleanly in a Debian 12 root (${SECONDS}s)"
