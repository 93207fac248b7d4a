#!/usr/bin/env bash
# Times "kestrelmove render" of the demo show with one thread and with several, and prints frames per
# second of both and their ratio. The whole program runs as a user runs it: plug-in loading, source
# frames, rendering and writing (BMP files or an H.264 movie).
#
# Usage: bench/render_threads.sh [output kind: bmp|mp4] [WIDTHxHEIGHT] [frames] [threads]
#   defaults bmp 1920x1080 60 2.
# Environment: KM_BUILD_DIR, the build folder holding app/kestrelmove (default build-threads, configured
# with -DCMAKE_BUILD_TYPE=Release); RUNS, timed runs per side (default 5); TMPDIR, where the frames go
# (default /tmp; a memory-backed folder such as /dev/shm keeps disk write-back out of the figures).
# Uses hyperfine when installed, else the best of RUNS runs. The load average is printed beside the
# figures: other work on the machine lowers both and, more, the ratio.
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-bmp}
size=${2:-1920x1080}
frames=${3:-60}
threads=${4:-2}
build=${KM_BUILD_DIR:-build-threads}
runs=${RUNS:-5}
program="$(pwd)/$build/app/kestrelmove"

if [[ ! -x "$program" ]]; then
  echo "render_threads.sh: $program not found; build the targets kestrelmove km_plugin vft32 first" >&2
  exit 1
fi
case "$kind" in
  bmp) output_name='f%d.bmp' ;;
  mp4) output_name='movie.mp4' ;;
  *) echo "render_threads.sh: output kind is bmp or mp4, not '$kind'" >&2; exit 1 ;;
esac

work=$(mktemp -d -t km-render-threads.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$program" demo -o "$work/demo" --threads 1 >/dev/null
mkdir -p "$work/out"

command_for() {
  echo "$program render $work/demo/demo.kmv -o $work/out/$output_name --size $size --frames 0-$((frames - 1)) --threads $1 -y"
}

# Seconds of the best run of a command.
best_seconds() {
  if command -v hyperfine >/dev/null; then
    hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/timing.json" "$1" >/dev/null
    python3 -c 'import json,sys; print(min(json.load(open(sys.argv[1]))["results"][0]["times"]))' "$work/timing.json"
  else
    local best=""
    for _ in $(seq "$runs"); do
      local start end s
      start=$(date +%s.%N)
      $1 >/dev/null
      end=$(date +%s.%N)
      s=$(echo "$end - $start" | bc -l)
      if [[ -z "$best" ]] || (( $(echo "$s < $best" | bc -l) )); then best=$s; fi
    done
    echo "$best"
  fi
}

echo "render of $frames demo frames at $size to .$kind, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
one=$(best_seconds "$(command_for 1)")
many=$(best_seconds "$(command_for "$threads")")
python3 - "$frames" "$one" "$many" "$threads" <<'EOF'
import sys
frames, one, many, threads = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
print(f"1 thread:   {frames / one:7.1f} frames per second ({one:.3f} s, best run)")
print(f"{threads} threads:  {frames / many:7.1f} frames per second ({many:.3f} s, best run)")
print(f"ratio:      {one / many:.2f}")
EOF
# The program's own figure counts from the first frame on, without starting up and loading the plug-in
# copies, which no number of threads shortens.
for t in 1 "$threads"; do
  echo "as the program reports with $t thread(s): $($(command_for "$t") | sed -n 's/.* in \(.*\))$/\1)/p')"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
