#!/usr/bin/env bash
# Replay benchmark: dorvex-cli --read over a generated capture file, side by side with an empty
# libpcap read loop over the same file (the floor) and tshark extracting the port-6900 payloads.
#   bench/capture/replay_bench.sh [BUILD_DIR] [FRAMES]    (default build, 1000000 frames)
# Prints wall-clock seconds (best of 3; tshark: 1 run) and peak memory.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
frames=${2:-1000000}

cmake --build "$build" --target dorvex-cli make_bench_capture pcap_read_floor >/dev/null
file=${TMPDIR:-/tmp}/dorvex-replay-$frames.pcap
if [[ ! -s "$file" ]]; then
  "$build/bench/capture/make_bench_capture" "$file" "$frames"
fi

# best_of RUNS LABEL COMMAND...: the fastest wall time and its peak resident memory.
best_of() {
  local runs=$1 label=$2
  shift 2
  local best="" rss="" t m
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %M' -o "$file.time" "$@" >/dev/null
    read -r t m <"$file.time"
    if [[ -z "$best" ]] || awk "BEGIN{exit !($t < $best)}"; then best=$t rss=$m; fi
  done
  printf '%-44s %8.2f s %8d KiB\n' "$label" "$best" "$rss"
  echo "$best" >"$file.$label.best"
}

echo "file: $file ($(du -h "$file" | cut -f1), $frames frames)"
printf '%-44s %10s %12s\n' "" "wall" "peak RSS"
best_of 3 floor "$build/bench/capture/pcap_read_floor" "$file"
best_of 3 dorvex-cli "$build/tools/dorvex-cli/dorvex-cli" --read "$file"
best_of 1 tshark tshark -r "$file" -Y 'tcp.port==6900' -T fields -e tcp.payload
floor=$(cat "$file.floor.best")
ours=$(cat "$file.dorvex-cli.best")
awk -v f="$floor" -v o="$ours" \
  'BEGIN { printf "dorvex-cli over the floor: +%.0f%% (target: below +50%%)\n", (o - f) / f * 100 }'
rm -f "$file".*.best "$file.time"
