#!/usr/bin/env bash
# Random access before and after a change, in one run: bench_seek of both builds over the movies that
# seek_inputs.sh makes, the time of a 50-frame render chunk at the start and at the end of the
# 10-minute inputs, and the editor's five clicks on the timeline and its End key (a script against the
# same script without them, so that opening the editor does not count).
#
# Usage: bench/seek_compare.sh BASE_BUILD [NEW_BUILD]   (NEW_BUILD default build)
# Environment: KM_MEDIA_CACHE (default /work/media-cache), RANDOM_REQUESTS (default 10; BASE_RANDOM_REQUESTS
# for the base build, default 3), RUNS (default 3).
set -euo pipefail
cd "$(dirname "$0")/.."
base=$(realpath "$1")
new=$(realpath "${2:-build}")
cache=${KM_MEDIA_CACHE:-/work/media-cache}
requests=${RANDOM_REQUESTS:-10}
runs=${RUNS:-3}
bench/seek_inputs.sh "$cache"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KESTRELMOVE_VIDEO=headless
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

movies=(h264-30-1min.mp4 h264-250-1min.mp4 h264-30-10min.mp4 h264-250-10min.mp4 h264-30-1min.ts h264-30-10min.ts
        hevc-1min.mp4 hevc-10min.mp4 prores-1min.mov prores-10min.mov vp9-1min.webm vp9-10min.webm)
# A build that decodes every frame from the start takes minutes per request on the 10-minute movies:
# there it answers only the jump to the end and the clicks, and fewer random requests elsewhere.
for build in "$base" "$new"; do
  echo "== bench_seek, $build"
  for movie in "${movies[@]}"; do
    if [[ $build == "$base" ]]; then
      only=random,end,clicks,drag,play
      [[ $movie == *10min* ]] && only=end,clicks
      if [[ $movie == *10min* && $movie != h264-*-10min.mp4 ]]; then
        echo "$movie: not measured (every request decodes from the start, for minutes)"
        continue
      fi
      "$build/bench/bench_seek" --random "${BASE_RANDOM_REQUESTS:-3}" --only $only "$cache/$movie" 2>/dev/null
    else
      "$build/bench/bench_seek" --random "$requests" "$cache/$movie" 2>/dev/null
    fi
  done
done

# An empty show, written by the editor's apply.
echo "menu File/Apply Moves and Close" > "$work/apply.txt"
"$new/app/kestrelmove" edit "$work/empty.kmv" --script "$work/apply.txt" >/dev/null

for build in "$base" "$new"; do
  echo "== render chunks, $build"
  for movie in h264-30-10min.mp4 h264-250-10min.mp4; do
    last=$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames \
           -of default=noprint_wrappers=1:nokey=1 "$cache/$movie")
    for frames in 0-49 $((last - 50))-$((last - 1)); do
      hyperfine --runs "$runs" --style basic -N \
        "$build/app/kestrelmove render $work/empty.kmv -i $cache/$movie --frames $frames -c:v ffv1 -y -o $work/chunk.mkv" \
        2>/dev/null | grep -E "Time \(" | sed "s|^|$movie $frames |"
    done
  done
done

# The editor on the 2-minute input with a keyframe every 30 frames, the timeline at one second per 60
# pixels: frame N lies at x = 4 + 2N.
printf 'menu File/Apply Moves and Close\n' > "$work/open.txt"
{ for f in 148 48 248 123 23; do echo "click timeline $((4 + 2 * f)) 5"; done; echo "menu File/Apply Moves and Close"; } > "$work/clicks.txt"
printf 'key End\nmenu File/Apply Moves and Close\n' > "$work/end.txt"
for build in "$base" "$new"; do
  echo "== editor, h264-30-2min.mp4, $build"
  for script in open clicks end; do
    hyperfine --runs "$runs" --style basic -N \
      "$build/app/kestrelmove edit $work/e.kmv -i $cache/h264-30-2min.mp4 --script $work/$script.txt" 2>/dev/null |
      grep -E "Time \(" | sed "s|^|$script |"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
