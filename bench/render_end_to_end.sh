#!/usr/bin/env bash
# kestrelmove render against FFmpeg on the same job: a 1920x1080 25 fps H.264 input with sound,
# written as H.264 with the same encoder settings (CRF 18, preset fast), the sound copied.
#
#   empty     an empty show against a plain "ffmpeg -i in.mp4 -c:v libx264" re-encode: the difference is
#             what the program adds (decoding into host frames, converting, copying, converting back).
#             Goal: ours / FFmpeg's at most 1.15.
#   pictures  five pictures moving, turning and fading across the frame against FFmpeg's own filter
#             graph doing the same five pictures (scale, rotate, fade, overlay). Goal: FFmpeg's / ours
#             at least 1.5.
#
# Prints both times (best of RUNS), every run's time for the spread, and the ratio, single-threaded or
# with the given threads on both sides, with the load average before and after: the machine may be
# shared, which lowers both sides and spreads the runs.
#
# Usage: bench/render_end_to_end.sh [empty|pictures] [frames] [threads]   defaults empty 250 1.
# Environment: KM_BUILD_DIR (default build), RUNS (default 3), TMPDIR (where the movies go).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=empty
if [[ $# -gt 0 && ! $1 =~ ^[0-9]+$ ]]; then mode=$1; shift; fi
frames=${1:-250}
threads=${2:-1}
build=${KM_BUILD_DIR:-build}
runs=${RUNS:-3}
program="$(pwd)/$build/app/kestrelmove"
[[ -x "$program" ]] || { echo "render_end_to_end.sh: $program not found" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "render_end_to_end.sh: needs hyperfine" >&2; exit 1; }
case "$mode" in empty|pictures) ;; *) echo "render_end_to_end.sh: mode is empty or pictures, not '$mode'" >&2; exit 1 ;; esac

work=$(mktemp -d -t km-end-to-end.XXXXXX)
[[ -n ${KEEP:-} ]] || trap 'rm -rf "$work"' EXIT
seconds=$(python3 -c "print($frames / 25)")
ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
  -t "$seconds" -c:v libx264 -preset fast -crf 18 -pix_fmt yuv420p -c:a aac "$work/in.mp4"
encoder="-c:v libx264 -preset fast -crf 18 -threads $threads -c:a copy"

if [[ $mode == empty ]]; then
  echo '{"bigEndian":false,"changeStamp":1,"background":{"path":""},"videoColours":1,"alphaBlur":1,"soundTrack":null,"pictures":[]}' \
    > "$work/show.json"
  theirs="ffmpeg -nostdin -v error -y -threads $threads -i $work/in.mp4 -filter_threads $threads $encoder $work/theirs.mp4"
else
  # Five 256x256 pictures, each shown 120 stage units (270 pixels) square on the 16:9 stage (853x480
  # units, 2.25 pixels each), moving right and down, turning half a turn and fading to 40 % over the job.
  last=$((frames - 1))
  python3 - "$work" "$last" <<'PY'
import json, sys
work, last = sys.argv[1], int(sys.argv[2])
pictures = []
for i in range(5):
    def key(time, x, y, rotation, amount):
        return {"time": time, "x": x, "y": y, "width": 120, "height": 120, "rotation": rotation,
                "easeCode": 4000, "amount": amount}
    pictures.append({"file": {"path": f"p{i}.png"}, "keys": [key(0, 100 + 150 * i, 120, 0, 0),
                                                              key(last, 200 + 150 * i, 360, 180, 60)]})
json.dump({"bigEndian": False, "changeStamp": 1, "background": {"path": ""}, "videoColours": 1, "alphaBlur": 1,
           "soundTrack": None, "pictures": pictures}, open(f"{work}/show.json", "w"))
PY
  graph="" inputs="" previous="0:v"
  duration=$(python3 -c "print($last / 25)")
  for i in 0 1 2 3 4; do
    ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=256x256:rate=1" -frames:v 1 "$work/p$i.png"
    inputs+=" -loop 1 -framerate 25 -t $seconds -i $work/p$i.png"
    # Centre in pixels: (stage units + t/T * distance) * 2.25; the rotated picture's box is square.
    cx="(($((100 + 150 * i)))+100*t/$duration)*2.25"
    cy="(120+240*t/$duration)*2.25"
    graph+="[$((i + 1)):v]scale=270:270,format=rgba,rotate=a=PI*t/$duration:ow=hypot(iw\,ih):oh=ow:c=none,"
    graph+="fade=t=out:st=0:d=$duration:alpha=1[p$i];"
    graph+="[$previous][p$i]overlay=x=$cx-overlay_w/2:y=$cy-overlay_h/2:eval=frame:shortest=1[v$i];"
    previous="v$i"
  done
  graph=${graph%;}
  theirs="ffmpeg -nostdin -v error -y -threads $threads -i $work/in.mp4$inputs -filter_threads $threads -filter_complex_threads $threads -filter_complex '$graph' -map '[v4]' -map 0:a -frames:v $frames $encoder $work/theirs.mp4"
fi
(cd "$work" && "$program" show build show.json -o show.kmv >/dev/null)
ours="$program render $work/show.kmv -i $work/in.mp4 -o $work/ours.mp4 -y --threads $threads"

echo "mode $mode, $frames frames, $threads thread(s)"
echo "ours:   $ours"
echo "theirs: $theirs"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/timing.json" "$ours" "$theirs" >/dev/null
python3 - "$work/timing.json" "$mode" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
ours, theirs = (min(r["times"]) for r in results)
for name, r in zip(("kestrelmove", "ffmpeg"), results):
    print(f"{name:12} best {min(r['times']):.2f} s, runs " + " ".join(f"{t:.2f}" for t in r["times"]))
if sys.argv[2] == "empty":
    print(f"ratio ours / ffmpeg's: {ours / theirs:.2f} (goal at most 1.15)")
else:
    print(f"ratio ffmpeg's / ours: {theirs / ours:.2f} (goal at least 1.5)")
PY
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
