#!/usr/bin/env bash
# Times one render of the demo show over a movie in one process against the same render cut into
# chunks and run as a Slurm job array by scripts/render-chunks on a one-node cluster of this machine
# (tests/farm/local-slurm; run as root), one after the other in one run, and prints the wall time of
# each, their ratio and the load average. Both movies are checked to hold every frame.
#
# Usage: bench/render_farm.sh INPUT.mp4 [frames A-B] [chunks] [--threads of the one process]
#   defaults 0-599 4 1. The 1080p input of the measurement in docs/render-farm.md is made with
#   ffmpeg -f lavfi -i testsrc2=size=1920x1080:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 \
#     -t 24 -c:v libx264 -preset fast -pix_fmt yuv420p -c:a aac INPUT.mp4
# Environment: KM_BUILD_DIR, the build folder holding app/kestrelmove (default build); TMPDIR, where
# the demo show, the cluster and the movies go (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 1 || "$1" == "-h" || "$1" == "--help" ]]; then
  sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
  exit $(( $# < 1 ? 2 : 0 ))
fi
input=$(realpath "$1")
frames=${2:-0-599}
chunks=${3:-4}
threads=${4:-1}
program=$(realpath "${KM_BUILD_DIR:-build}/app/kestrelmove")
[[ "$frames" =~ ^([0-9]+)-([0-9]+)$ ]] || { echo "render_farm.sh: frames '$frames' are not A-B" >&2; exit 2; }
count=$(( BASH_REMATCH[2] - BASH_REMATCH[1] + 1 ))
chunk=$(( (count + chunks - 1) / chunks ))

dir=$(mktemp -d "${TMPDIR:-/tmp}/render-farm-bench.XXXXXX")
trap 'tests/farm/local-slurm stop "$dir/slurm"; rm -rf "$dir"' EXIT
export KESTRELMOVE_VIDEO=headless KESTRELMOVE=$program
"$program" demo -o "$dir/demo" > /dev/null
eval "$(tests/farm/local-slurm start "$dir/slurm")"

# seconds LOG COMMAND...: runs the command with its output into LOG and prints its wall time.
seconds() { local s log=$1; shift; s=$(date +%s.%N); "$@" > "$log" 2>&1; awk -v s="$s" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }'; }
frames_of() { ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$1"; }

one=$(seconds "$dir/one.log" "$program" render "$dir/demo/demo.kmv" -i "$input" --frames "$frames" --threads "$threads" \
  -o "$dir/one.mp4")
farm=$(seconds "$dir/farm.log" scripts/render-chunks "$dir/demo/demo.kmv" -o "$dir/farm.mp4" --frames "$frames" --chunk "$chunk" \
  --slurm -- -i "$input")
for movie in one farm; do
  [[ "$(frames_of "$dir/$movie.mp4")" == "$count" ]] || { echo "render_farm.sh: $movie.mp4 lacks frames" >&2; exit 1; }
done
echo "$count frames of $(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$input")"
echo "one process (--threads $threads): $one s"
echo "Slurm, $chunks chunks of $chunk frames: $farm s ($(tail -n1 "$dir/farm.log" | sed 's/^render-chunks: //'))"
awk -v a="$one" -v b="$farm" 'BEGIN { printf "one process / Slurm: %.2f\n", a / b }'
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
