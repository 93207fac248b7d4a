#!/usr/bin/env bash
# Compares the renderer of two builds on the benchmark scene in one run: bench_render_frames of each,
# taken in turn so that both see the same machine (each the fastest of three passes, as
# compare_ffmpeg.sh takes it), for the ten pictures alone and with the six
# brushes. Prints the median frames per second of each build and their ratio.
#
# Usage: bench/compare_builds.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [width] [height] [frames] [rounds]
#   defaults 1920 1080 60 5; both folders must hold bench/bench_render_frames (Release builds).
set -euo pipefail

if [[ $# -lt 2 || "$1" == "-h" || "$1" == "--help" ]]; then
  sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
  exit $(( $# < 2 ? 2 : 0 ))
fi
before="$1/bench/bench_render_frames"
after="$2/bench/bench_render_frames"
width=${3:-1920}
height=${4:-1080}
frames=${5:-60}
rounds=${6:-5}
for program in "$before" "$after"; do
  if [[ ! -x "$program" ]]; then
    echo "compare_builds.sh: $program not found; build the target bench_render_frames there first" >&2
    exit 1
  fi
done

fps() {
  "$1" --width "$width" --height "$height" --frames "$frames" --threads 1 --repeat 3 "${@:2}" |
    sed -n 's/.* fps \([0-9.]*\).*/\1/p'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A runs
for round in $(seq "$rounds"); do
  for side in before after; do
    program=$before
    [[ $side == after ]] && program=$after
    runs[$side-pictures]+="$(fps "$program" --no-brushes) "
    runs[$side-brushes]+="$(fps "$program") "
  done
done

echo "scene: 10 pictures 256x256 with alpha, $frames frames at ${width}x${height}, 1 thread, $rounds rounds"
for scene in pictures brushes; do
  b=$(tr ' ' '\n' <<<"${runs[before-$scene]}" | grep . | median)
  a=$(tr ' ' '\n' <<<"${runs[after-$scene]}" | grep . | median)
  label=$scene
  [[ $scene == brushes ]] && label="with six brushes"
  awk -v l="$label" -v b="$b" -v a="$a" \
    'BEGIN { printf "%-17s before %7.2f fps   after %7.2f fps   ratio %.2f\n", l ":", b, a, a / b }'
done
