#!/usr/bin/env bash
# Whether the editor's playback keeps up with a movie: plays the stage for a number of seconds over the
# input and counts, through uprobes, the frames the input decoded (each new frame is kept in the editor's
# frame cache once) and the frames the stage fetched, against the show time playback advanced. Every
# frame decoded once and the time advanced by seconds x rate means no frame was skipped.
#
# Usage: bench/editor_playback.sh MOVIE [SECONDS] [BUILD]   (as root: perf probe; default 10 s, build)
set -euo pipefail
cd "$(dirname "$0")/.."
movie=$(realpath "$1")
seconds=${2:-10}
binary=$(realpath "${3:-build}")/app/kestrelmove
work=$(mktemp -d)
probes=()
cleanup() {
  for p in "${probes[@]}"; do perf probe -q -d "$p" || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# The probes go on the functions' addresses: one is in an unnamed namespace.
for symbol in '(anonymous namespace)::fetchFrame(int, int, FrameHeader**, long)' 'FrameCache::keep(int, HostFrame const&)'; do
  address=$(nm -C "$binary" | awk -v s="$symbol" '($2 == "t" || $2 == "T") && substr($0, 20) == s { print $1 }')
  address=${address%%$'\n'*}
  [[ -n $address ]] || { echo "editor_playback: no $symbol in $binary" >&2; exit 1; }
  event=$(perf probe -x "$binary" -a "0x$address" 2>&1 | grep -o 'probe_[a-z0-9_]*:[a-z0-9_]*' | head -1)
  probes+=("$event")
done
printf 'key P\nwait %d\nkey K\nstate\nmenu File/Apply Moves and Close\n' $((seconds * 1000)) > "$work/play.txt"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
KESTRELMOVE_VIDEO=headless perf stat -x, -e "${probes[0]}" -e "${probes[1]}" -o "$work/counts" \
  "$binary" edit "$work/e.kmv" -i "$movie" --script "$work/play.txt" > "$work/out"
advanced=$(grep -o '"time":[0-9]*' "$work/out" | head -1 | cut -d: -f2)
fetched=$(grep "${probes[0]}" "$work/counts" | cut -d, -f1)
decoded=$(grep "${probes[1]}" "$work/counts" | cut -d, -f1)
echo "$(basename "$movie"): ${seconds} s played, show time advanced $advanced frames," \
     "frames decoded $decoded, stage fetches $fetched"
