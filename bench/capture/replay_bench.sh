#!/usr/bin/env bash
# Replay benchmark: dorvex-cli --read over generated capture files, one per name mix (see
# make_bench_capture.cpp), side by side with an empty libpcap read loop over the same file (the
# floor); with TSHARK=1, also tshark extracting the port-6900 payloads of the first mix.
#   bench/capture/replay_bench.sh [BUILD_DIR] [FRAMES] [MIX...]
#   (default build, 1000000 frames, mixes fixed moving unique)
# Prints wall-clock seconds (best of 3; tshark: 1 run), the processor time (user + system) and
# peak memory of that run, and dorvex-cli's wall and processor times over the floor's. On a busy
# machine the processor times are the steadier ratio.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
frames=${2:-1000000}
mixes=("${@:3}")
((${#mixes[@]})) || mixes=(fixed moving unique)

cmake --build "$build" --target dorvex-cli make_bench_capture pcap_read_floor >/dev/null
maker=$build/bench/capture/make_bench_capture
work=${TMPDIR:-/tmp}/dorvex-replay-$$
trap 'rm -f "$work".*' EXIT

# best_of RUNS COMMAND...: prints the fastest wall time (s), that run's processor time (s) and
# peak resident memory (KiB).
best_of() {
  local runs=$1
  shift
  local best="" cpu="" rss="" t u s m
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %U %S %M' -o "$work.time" "$@" >/dev/null
    read -r t u s m <"$work.time"
    if [[ -z "$best" ]] || awk "BEGIN{exit !($t < $best)}"; then
      best=$t rss=$m cpu=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f", u + s }')
    fi
  done
  echo "$best $cpu $rss"
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %6s %16s %16s %12s %12s %12s\n' mix file "floor wall/cpu" "cli wall/cpu" \
  "ratio w/cpu" "floor RSS" "cli RSS"
for mix in "${mixes[@]}"; do
  # Made again when the generator is newer, so that a file never outlives the mix it stands for.
  file=${TMPDIR:-/tmp}/dorvex-replay-$mix-$frames.pcap
  if [[ ! -s "$file" || "$maker" -nt "$file" ]]; then "$maker" "$file" "$frames" "$mix"; fi
  read -r floor floorCpu floorRss < <(best_of 3 "$build/bench/capture/pcap_read_floor" "$file")
  read -r ours oursCpu oursRss < <(best_of 3 "$build/tools/dorvex-cli/dorvex-cli" --read "$file")
  ratio=$(awk -v f="$floor" -v o="$ours" -v fc="$floorCpu" -v oc="$oursCpu" \
    'BEGIN { printf "%.2f/%.2f", o / f, (fc > 0 ? oc / fc : 0) }')
  printf '%-8s %6s %7.2f/%.2f s %7.2f/%.2f s %12s %8d KiB %8d KiB\n' "$mix" \
    "$(du -h "$file" | cut -f1)" "$floor" "$floorCpu" "$ours" "$oursCpu" "$ratio" "$floorRss" \
    "$oursRss"
  if [[ -n "${TSHARK:-}" && "$mix" == "${mixes[0]}" ]]; then
    read -r t c m < <(best_of 1 tshark -r "$file" -Y 'tcp.port==6900' -T fields -e tcp.payload)
    printf '%-8s %6s %16s %7.2f/%.2f s %12s %12s %8d KiB\n' tshark "" "" "$t" "$c" "" "" "$m"
  fi
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "target: dorvex-cli at most 1.3 times the floor"
