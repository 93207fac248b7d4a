#!/usr/bin/env bash
# The host program's own frame handling against FFmpeg: an empty show rendered over a 1920x1080 25 fps
# H.264 input with sound and written as H.264 with the same encoder settings (CRF 18, preset fast),
# against a plain "ffmpeg -i in.mp4 -c:v libx264" re-encode of the same input. With an empty show the
# difference is what the program adds: decoding into host frames, converting, copying and converting
# back. Prints both times and their ratio (ours / FFmpeg's; at most 1.15 is the goal), single-threaded
# or with the given threads on both sides.
#
# Usage: bench/render_end_to_end.sh [frames] [threads]   defaults 250 1.
# Environment: KM_BUILD_DIR (default build), RUNS (default 3), TMPDIR (where the movies go).
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-250}
threads=${2:-1}
build=${KM_BUILD_DIR:-build}
runs=${RUNS:-3}
program="$(pwd)/$build/app/kestrelmove"
[[ -x "$program" ]] || { echo "render_end_to_end.sh: $program not found" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "render_end_to_end.sh: needs hyperfine" >&2; exit 1; }

work=$(mktemp -d -t km-end-to-end.XXXXXX)
trap 'rm -rf "$work"' EXIT
seconds=$(python3 -c "print($frames / 25)")
ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
  -t "$seconds" -c:v libx264 -preset fast -crf 18 -pix_fmt yuv420p -c:a aac "$work/in.mp4"
echo '{"bigEndian":false,"changeStamp":1,"background":{"path":""},"videoColours":1,"alphaBlur":1,"soundTrack":null,"pictures":[]}' \
  > "$work/empty.json"
"$program" show build "$work/empty.json" -o "$work/empty.kmv" >/dev/null

ours="$program render $work/empty.kmv -i $work/in.mp4 -o $work/ours.mp4 -y --threads $threads"
theirs="ffmpeg -nostdin -v error -y -threads $threads -i $work/in.mp4 -filter_threads $threads -c:v libx264 -preset fast -crf 18 -threads $threads -c:a copy $work/theirs.mp4"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/timing.json" "$ours" "$theirs" >/dev/null
python3 - "$work/timing.json" "$frames" "$threads" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
ours, theirs = (min(r["times"]) for r in results)
print(f"{sys.argv[2]} frames, {sys.argv[3]} thread(s): kestrelmove {ours:.2f} s, ffmpeg {theirs:.2f} s, ratio {ours / theirs:.2f}")
PY
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
