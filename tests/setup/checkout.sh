# Sourced by the set-up tests. make_checkout DIR PACKAGE...: a throwaway checkout in DIR: Dorvex's
# scripts beside the tiny project, with a package list of its own.
make_checkout() {
  local dir=$1
  shift
  mkdir -p "$dir"
  cp -r "$source_dir/scripts" "$source_dir/tests/setup/tiny_project/." "$dir/"
  printf '%s\n' "$@" >"$dir/scripts/packages.txt"
}
