#!/usr/bin/env bash
# Builds the Debian package (cpack, lintian), installs it as the README says into a throwaway
# Debian 12 root (debootstrap, kept in BUILD_DIR/package-test/) and checks the installed copy:
# dorvex-cli's report, a Japanese font, the helper's capability alone (also after the group recipe,
# and where capabilities are refused), desktop entry, metainfo, manual pages, icons; a user's first
# minute under Xvfb (BUILD_DIR/package-test/first-start.png): the adapter hint and no problem, a
# reply captured on lo into the history, Exit without a dialog; a purge leaves none of its files.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION CLI      exit 77 (skipped) without root/debootstrap
set -euo pipefail
build=$(realpath "$1") source_dir=$(realpath "$2") version=$3 cli=$4
source "$source_dir/tests/setup/common.sh"
need_root debootstrap
for tool in cpack lintian desktop-file-validate appstreamcli man dpkg-shlibdeps python3 sqlite3; do
  command -v "$tool" >/dev/null || fail "$tool is missing (setup.sh installs it)"
done
cache=$build/package-test                        # the Debian root as debootstrap left it, packages
root=$cache/root deb_name=dorvex_${version}_amd64.deb
step() { printf 'package_test: [%4ss] %s\n' "$SECONDS" "$*"; }
root_env=(chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8
  HOME=/root DEBIAN_FRONTEND=noninteractive)
in_root() { "${root_env[@]}" "$@"; }
make_work package
cleanup='{ kill ${xvfb_pid:-}; umount -l "$root/proc"; } 2>/dev/null || :
  rm -rf --one-file-system "$root"'
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
font=$(in_root fc-match -f '%{family[0]}|%{lang}|' :lang=ja)
[[ $font == *"|ja|"* ]] || fail "no font with Japanese characters installed: $font"
! in_root ldd /usr/bin/dorvex /usr/bin/dorvex-cli /usr/libexec/dorvex/dorvex-capture |
  grep "not found" || fail "libraries not found"

step "capabilities"
in_root useradd -m player
grep -E '^  (groupadd|dpkg-statoverride|setcap) ' "$install_log" | sed 's/USER/player/' |
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

step "first minute of the user player under Xvfb (font ${font%%|*})"
in_root apt-get install --no-install-recommends xvfb xdotool netpbm >"$work/x.log" 2>&1 ||
  fail "installing xvfb xdotool netpbm: $(tail "$work/x.log")"
cp -an "$root"/var/cache/apt/archives/*.deb "$cache/archives/"
mount -t proc proc "$root/proc"
"${root_env[@]}" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -fbdir /tmp \
  3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
x=("${root_env[@]}" DISPLAY=:$(cat "$work/display"))
player=("${x[@]}" setpriv --reuid=player --regid=player --init-groups env HOME=/home/player)
windows() { "${x[@]}" xdotool search --onlyvisible --name . getwindowname %@; }
# The window as player, its status lines on stderr; waits for it to show.
start_window() {
  log=$work/window-$1.log
  "${player[@]}" QT_LOGGING_RULES=dorvex.status.info=true dorvex >"$log" 2>&1 &
  dorvex_pid=$!
  window=$("${x[@]}" timeout 15 xdotool search --sync --onlyvisible --name '^Dorvex \(#' |
    head -1) || fail "the window did not appear: $(cat "$log" "$work/xvfb.log")"
}
# Waits for COUNT status lines of TEXT; none may note a problem (history, font).
await_status() {
  timeout 10 bash -c "until (($1 <= \$(grep -c '^dorvex.status: $2' '$log'))); do sleep .1; done" &&
    ! grep -q '^dorvex.status: .* | ' "$log" || fail "status ($1 '$2' expected): $(cat "$log")"
}
# Exit (Alt+X) with the window the only one shown: every dialog is modal, so one shown would
# still be there, or would keep the program from ending.
exit_window() {
  (($(windows | wc -l) == 1)) || fail "windows shown: $(windows)"
  "${x[@]}" xdotool windowfocus --sync "$window" key alt+x
  timeout 10 tail --pid="$dorvex_pid" -f /dev/null || fail "Exit did not end it; shown: $(windows)"
  wait "$dorvex_pid" || fail "the window ended with status $?: $(cat "$log")"
}
route=$(awk '$2 == "00000000" { print $1; exit }' /proc/net/route)
start_window first
await_status 1 "Pick the adapter the game uses${route:+ ($route carries the default route)}\$"
eval "$("${x[@]}" xdotool mousemove 0 0 sleep 1 getwindowgeometry --shell "$window")"
shot=$cache/first-start.png
in_root sh -c "xwdtopnm /tmp/Xvfb_screen0 | pamcut $X $Y $WIDTH $HEIGHT >/tmp/shot.ppm &&
  pnmtopng /tmp/shot.ppm" >"$shot" 2>/dev/null || fail "no screenshot"
colours=$(in_root ppmhist -noheader /tmp/shot.ppm | wc -l)
((colours > 16)) || fail "the screenshot $shot is blank ($colours colours)"
exit_window
lo=$("${player[@]}" dorvex-cli --list-interfaces | awk -F'\t' '$2 == "lo" { print $1 }')
"${player[@]}" sed -i "s/^AdapterIndex=-1$/AdapterIndex=$lo/" /home/player/.config/dorvex/dorvex.ini
start_window lo
await_status 1 "Capturing on lo"
python3 "$source_dir/tests/e2e/world_list_reply.py" "$source_dir/samples/world_list_reply.bin"
await_status 2 "Capturing on lo"
exit_window
history=$(sqlite3 -readonly "$root/home/player/.config/dorvex/dorvex.sqlite" \
  'SELECT count(*), (SELECT count(*) FROM world) FROM reply') || history=none
[[ $history == "1|7" ]] || fail "the history holds $history replies|worlds, not 1|7"

step "apt-get remove --purge dorvex"
out=$work/remove.log
in_root apt-get remove --purge -y dorvex >"$out" 2>&1 || fail "apt-get remove --purge dorvex"
# The user's settings and history stay (README).
left=$(find "$root" -xdev -iname '*dorvex*' -not -path "$root/tmp/*" -not -path "$root/var/lib/dpkg/*" \
  -not -path "$root/home/player/.config/dorvex*" \
  -not -path "$root/var/log/*" -not -path "$root/var/cache/*" | sed "s|^$root||")
[[ -z $left ]] || fail "files named after dorvex left behind: $left"
echo "PASS: $deb_name installs, works and purges cleanly in a Debian 12 root (${SECONDS}s)"
