#!/usr/bin/env bash
# Renders the benchmark scene's motion (ten moving, scaling, turning, fading 256 x 256 pictures with
# alpha over a background picture) with Kestrelmove's renderer and with FFmpeg's own filters (scale,
# rotate, colorchannelmixer, overlay) on this machine in this run, and prints frames per second of
# both and their ratio. Both sides render to memory and write nothing.
#
# Usage: bench/compare_ffmpeg.sh [width] [height] [frames] [threads]
#   defaults 720 480 60 1; with 1 thread FFmpeg's filter threading is switched off as well.
# Environment: KM_BUILD_DIR, the build folder holding bench/bench_render_frames (default build-render,
# configured with -DCMAKE_BUILD_TYPE=Release); FFMPEG, the ffmpeg program (default ffmpeg).
set -euo pipefail
cd "$(dirname "$0")/.."

width=${1:-720}
height=${2:-480}
frames=${3:-60}
threads=${4:-1}
build=${KM_BUILD_DIR:-build-render}
ffmpeg=${FFMPEG:-ffmpeg}
ours_program="$build/bench/bench_render_frames"

if [[ ! -x "$ours_program" ]]; then
  echo "compare_ffmpeg.sh: $ours_program not found; build the target bench_render_frames first" >&2
  exit 1
fi
if ! command -v "$ffmpeg" >/dev/null; then
  echo "compare_ffmpeg.sh: $ffmpeg not found" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Our side: the pictures only (FFmpeg has no brushes), fastest of three runs. It also writes the
# pictures and the filter graph for FFmpeg.
ours=$("$ours_program" --width "$width" --height "$height" --frames "$frames" --threads "$threads" \
  --no-brushes --repeat 3 --ffmpeg-dir "$work")
ours_full=$("$ours_program" --width "$width" --height "$height" --frames "$frames" --threads "$threads" \
  --repeat 3)
ours_fps=$(sed -n 's/.* fps \([0-9.]*\).*/\1/p' <<<"$ours")
ours_full_fps=$(sed -n 's/.* fps \([0-9.]*\).*/\1/p' <<<"$ours_full")

inputs=(-f rawvideo -pix_fmt bgra -s 720x480 -framerate 30 -i "$work/background.bgra")
for i in $(seq 0 9); do
  inputs+=(-f rawvideo -pix_fmt bgra -s 256x256 -framerate 30 -i "$work/picture$i.bgra")
done
if [[ "$threads" -le 1 ]]; then
  threading=(-filter_threads 1 -filter_complex_threads 1 -threads 1)
else
  threading=(-filter_threads "$threads" -filter_complex_threads "$threads" -threads "$threads")
fi

best=""
for run in 1 2 3; do
  start=$(date +%s.%N)
  "$ffmpeg" -hide_banner -nostdin -loglevel error "${threading[@]}" "${inputs[@]}" \
    -filter_complex_script "$work/graph.txt" -map '[out]' -frames:v "$frames" -f null -
  end=$(date +%s.%N)
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
  if [[ -z "$best" ]] || awk -v s="$seconds" -v b="$best" 'BEGIN { exit !(s < b) }'; then best=$seconds; fi
done
ffmpeg_fps=$(awk -v f="$frames" -v s="$best" 'BEGIN { printf "%.2f", f / s }')

echo "scene: 10 pictures 256x256 with alpha, $frames frames at ${width}x${height}, $threads thread(s)"
echo "kestrelmove renderer:          $ours_fps fps"
echo "kestrelmove with six brushes:  $ours_full_fps fps"
echo "ffmpeg scale+rotate+overlay:   $ffmpeg_fps fps (best of 3, includes start-up: $best s)"
awk -v a="$ours_fps" -v b="$ffmpeg_fps" 'BEGIN { printf "ratio kestrelmove / ffmpeg:     %.2f\n", a / b }'
