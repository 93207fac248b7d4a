#!/usr/bin/env bash
# The movies the random-access benchmark reads: 1080p at 29.97 fps, made once into a cache folder and
# reused. Every kind at 1 and 10 minutes: H.264 with a keyframe every 30 and every 250 frames and VP9
# WebM encoded for one minute, HEVC and ProRes for 10 seconds (their 1080p encoders run at a few frames
# per second on a small shared machine), then joined by stream copy into the longer movies (encoding
# 10 minutes of 1080p would take hours); MPEG-TS carries the H.264 movies by stream copy.
#
# Usage: bench/seek_inputs.sh [folder]   default /work/media-cache (or $KM_MEDIA_CACHE).
# Environment, to try the scripts out quickly: KM_SEEK_SIZE (default 1920x1080), KM_SEEK_MINUTE (the
# seconds of a "minute", default 60), KM_SEEK_SHORT (the seconds of HEVC and ProRes encoded, default
# 10; KM_SEEK_MINUTE must be a multiple of it).
set -euo pipefail
folder=${1:-${KM_MEDIA_CACHE:-/work/media-cache}}
mkdir -p "$folder"
cd "$folder"
source="-f lavfi -i testsrc2=size=${KM_SEEK_SIZE:-1920x1080}:rate=30000/1001"
minute=${KM_SEEK_MINUTE:-60}
short=${KM_SEEK_SHORT:-10}

produce() {  # output, then ffmpeg's arguments; skipped when the output exists
  local out=$1; shift
  [[ -s $out ]] && return 0
  echo "making $folder/$out" >&2
  ffmpeg -nostdin -v error -y "$@" "$out.part.${out##*.}"
  mv "$out.part.${out##*.}" "$out"
}

joined() {  # output, times, the movie joined that many times
  local list=$1.txt
  for ((i = 0; i < $2; i++)); do echo "file '$3'"; done > "$list"
  produce "$1" -f concat -safe 0 -i "$list" -c copy
  rm -f "$list"
}

produce h264-30-1min.mp4 $source -t $minute -c:v libx264 -preset ultrafast -g 30 -keyint_min 30 -sc_threshold 0 -pix_fmt yuv420p
produce h264-250-1min.mp4 $source -t $minute -c:v libx264 -preset ultrafast -g 250 -pix_fmt yuv420p
for interval in 30 250; do
  joined h264-$interval-2min.mp4 2 h264-$interval-1min.mp4
  joined h264-$interval-10min.mp4 10 h264-$interval-1min.mp4
done
produce h264-30-1min.ts -i h264-30-1min.mp4 -c copy
produce h264-30-10min.ts -i h264-30-10min.mp4 -c copy
produce vp9-1min.webm $source -t $minute -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -g 30 -b:v 4M
joined vp9-10min.webm 10 vp9-1min.webm
produce prores-10s.mov $source -t $short -c:v prores_ks -profile:v 0
produce hevc-10s.mp4 $source -t $short -c:v libx265 -preset ultrafast -g 30 -x265-params log-level=error -tag:v hvc1
for kind in prores-%s.mov hevc-%s.mp4; do
  printf -v short_movie "$kind" 10s
  printf -v one "$kind" 1min
  joined "$one" $((minute / short)) "$short_movie"
  joined "$(printf "$kind" 10min)" 10 "$one"
done
