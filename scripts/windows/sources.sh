# Fetching the pinned Debian source packages (sourced by scripts/windows.sh; each build phase
# fetches its own). apt-get source works on a private sources list and private state (lists,
# caches) in the cache, so the system's apt set-up stays untouched; apt checks the archive's
# signatures (Debian's archive keyring), dpkg-source the files' checksums.

win_apt_dir=$win_cache/apt
win_apt_options=(-q -o "Dir::Etc::SourceList=$win_apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$win_apt_dir/sources.list.d"
  -o "Dir::State::Lists=$win_apt_dir/lists" -o "Dir::Cache=$win_apt_dir/cache")
# As root, apt would hand the download to its _apt user, who may not write into the cache.
is_root && win_apt_options+=(-o "APT::Sandbox::User=root")

# The private sources list: a deb-src line for each archive (and suite) of the system's bookworm
# main, on the system's own mirrors.
win_write_sources_list() {
  local list=$1 lines
  lines=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'COMPONENT: main' |
    awk '$2 ~ /^bookworm(-updates|-security)?$/ { print $1, $2 }' | sort -u)
  [[ -n $lines ]] || return 1
  while read -r uri suite; do
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $suite main"
  done <<<"$lines" >"$list"
}

# win_fetch_source PHASE NAME=VERSION: unpacks that source package into $win_src (once), the
# private package lists brought up to date at the first fetch of a run.
win_fetch_source() {
  local phase=$1 package=$2
  [[ -d $(win_source_dir "$package") ]] && return 0
  if [[ -z ${win_apt_updated:-} ]]; then
    mkdir -p "$win_apt_dir/sources.list.d" "$win_apt_dir/lists/partial" \
      "$win_apt_dir/cache/archives/partial" "$win_src"
    win_write_sources_list "$win_apt_dir/sources.list" ||
      win_fail "$phase" "found no bookworm main archive in the system's apt sources"
    win_run "$phase" "apt-get update (private package lists in $win_apt_dir/)" \
      apt-get "${win_apt_options[@]}" update
    win_apt_updated=1
  fi
  (cd "$win_src" && win_run "$phase" "apt-get source $package" \
    apt-get "${win_apt_options[@]}" source "$package")
  [[ -d $(win_source_dir "$package") ]] ||
    win_fail "$phase" "$package did not unpack into $(win_source_dir "$package")"
}
