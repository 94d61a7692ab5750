#!/usr/bin/env bash
# Time and peak memory of kurovel-class on a class of 1,000 typical pupil
# programs (the exercise programs of tests/exercises, the samples and generated
# polygons, stars and clocks), with and without --check, then with ten endless
# loops among them. Not part of ./dev test.
#   scripts/measure-class.sh [BUILD_DIR]   (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bin=$build/app/kurovel-class
[[ -x $bin ]] || { echo "missing $bin: build kurovel-class first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
class=$work/class
mkdir -p "$class"

# 1,000 files: every exercise program and sample, then generated figures.
n=0
for f in "$root"/tests/exercises/*/*.kv "$root"/samples/*.kv; do
  n=$((n + 1))
  cp "$f" "$class/$(printf 'pupil%04d' $n).kv"
done
RANDOM=7
while ((n < 1000)); do
  n=$((n + 1))
  sides=$((3 + RANDOM % 10)) length=$((20 + RANDOM % 90)) heading=$((RANDOM % 360))
  case $((RANDOM % 3)) in
    0) printf 'rt %d\nrepeat %d\nfd %d\nrt %d\nnext\n' $heading $sides $length $((360 / sides)) ;;
    1) printf 'くりかえし　５\n　まえに　%d\n　みぎに　１４４\nここまで\n' $((length + 60)) ;;
    2) printf 'repeat 12\npu\nfd %d\npd\nfd 15\npu\nbk %d\nrt 30\nnext\n' $((length + 20)) $((length + 35)) ;;
  esac >"$class/$(printf 'pupil%04d' $n).kv"
done

# Runs a command under /usr/bin/time -v; prints wall-clock seconds, processor
# seconds (user and system: what the wall clock would be on one idle core), peak
# RSS and the summary.
measure() {
  local rc=0
  /usr/bin/time -v -o "$work/time" "$@" >"$work/out" 2>/dev/null || rc=$?
  local rss_kb wall cpu
  rss_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time")
  wall=$(awk -v t="$wall" 'BEGIN { n = split(t, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }')
  cpu=$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$work/time")
  printf '%6.2f s wall %6.2f s cpu %4d MB  exit %d  %s\n' "$wall" "$cpu" "$((rss_kb / 1024))" "$rc" "$(head -1 "$work/out")"
}

echo "$(ls "$class" | wc -l) programs, $(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg)"
printf '%-36s' "kurovel-class --check 4"
measure "$bin" --check 4 --report "$work/report.html" "$class"
printf '%-36s' "kurovel-class"
measure "$bin" --report "$work/report.html" "$class"
echo "report: $(du -k "$work/report.html" | cut -f1) KB HTML, $(wc -l <"$work/report.csv") CSV lines"
for i in $(seq 1 10); do printf 'repeat 2147483647\nfd 1\nrt 1\nnext\n' >"$class/pupil$(printf '%04d' $((i * 97))).kv"; done
printf '%-36s' "with ten endless loops, --check 4"
measure "$bin" --check 4 --report "$work/report.html" "$class"
echo "Goal: 1,000 typical programs within 5 s on 2 cores."
