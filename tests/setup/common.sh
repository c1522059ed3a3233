# Sourced by the release checks in tests/setup, tests/install and tests/package.
#   need_root TOOL...   exit 77 (skipped) unless root with every TOOL
#   make_work NAME      $work: a fresh folder (removed at exit, then run $cleanup too); $out in it
#   fail MESSAGE        FAIL and exit 1, showing $out when it holds something
#   as_nobody CMD...    CMD as nobody:nogroup (and the groups nobody is a member of)
#   make_checkout DIR PACKAGE...  Dorvex's scripts beside the tiny project, its own package list
need_root() {
  [[ $(id -u) -eq 0 ]] || { echo "skipped: needs root"; exit 77; }
  for tool; do command -v "$tool" >/dev/null || { echo "skipped: needs $tool"; exit 77; }; done
}
make_work() {
  work=$(mktemp -d "/tmp/dorvex-$1.XXXXXX") out=$work/out.txt
  trap 'rm -rf "$work"; eval "${cleanup:-}"' EXIT
}
fail() { echo "FAIL: $*"; [[ ! -s ${out:-} ]] || cat "$out"; exit 1; }
as_nobody() { setpriv --reuid=nobody --regid=nogroup --init-groups "$@"; }
make_checkout() {
  mkdir -p "$1"
  cp -r "$source_dir/scripts" "$source_dir/tests/setup/tiny_project/." "$1/"
  printf '%s\n' "${@:2}" >"$1/scripts/packages.txt"
}
