#!/usr/bin/env bash
# Time and peak memory of big program files, printed beside the goals: kurovel-run
# (with and without --state), and the desktop window opening each file offscreen:
# the load, the first key and the first change of the window's width after it,
# and the same file loaded three times in a row. Not part of ./dev test.
#
#   scripts/measure-big-files.sh [BUILD_DIR] [BASE_BUILD_DIR]
#
# BUILD_DIR (default: build) needs kurovel-run and kurovel-measure-open built.
# BASE_BUILD_DIR, when given, is measured the same way first and shown beside it
# ("before" and "after" in one session). To build one for an earlier commit with
# this tree's measuring tool (it uses only the window's public calls):
#   git archive COMMIT | tar -x -C base-src
#   cp scripts/measure_open/measure_open.cpp base-src/scripts/measure_open/
#   cmake -S base-src -B build-base -G Ninja -DKUROVEL_BUILD_TESTS=OFF
#   cmake --build build-base --target kurovel-run kurovel-measure-open
# MEASURE_CAP_MB (default 12000): the desktop runs' address space is capped there,
# so a build that needs far more fails its load instead of the machine.
set -euo pipefail

build=${1:-build}
base=${2:-}
cap_mb=${MEASURE_CAP_MB:-12000}
# The goals for the 10-million-line file (the turns file).
goal_load_s=20
goal_peak_mb=1500
goal_key_ms=50
goal_width_ms=100

builds=()
[[ -n $base ]] && builds+=("$base")
builds+=("$build")
for dir in "${builds[@]}"; do
  for bin in "$dir/app/kurovel-run" "$dir/scripts/measure_open/kurovel-measure-open"; do
    [[ -x $bin ]] || { echo "missing $bin: build kurovel-run and kurovel-measure-open first" >&2; exit 2; }
  done
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 10 MB of line breaks (10 M empty lines) and 60 MB of 'fd 1' / 'rt 1' lines (10 M lines).
head -c $((10 * 1024 * 1024)) /dev/zero | tr '\0' '\n' >"$work/breaks.kv"
yes $'fd 1\r\nrt 1\r' | head -c $((60 * 1024 * 1024)) >"$work/turns.kv" || true  # yes ends on SIGPIPE

# Runs a command under /usr/bin/time -v; leaves its standard output in $work/out
# and sets wall_s, rss_mb and status.
run_timed() {
  status=0
  /usr/bin/time -v -o "$work/time" "$@" >"$work/out" 2>/dev/null || status=$?
  rss_mb=$(awk -F': ' '/Maximum resident set size/ {printf "%d", $2 / 1024}' "$work/time")
  wall_s=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; printf "%.1f", s}' "$work/time")
}

# A figure the measuring tool printed: the line's words after the given prefix.
printed() { awk -v key="$1" 'index($0, key " ") == 1 { print substr($0, length(key) + 2); exit }' "$work/out"; }

# One build's figures for one file, into $work/NAME.FILE.KIND (one value each).
measure_build() {  # label, build dir, file
  local name=$1 dir=$2 file=$3 prefix=$work/$1.$3
  run_timed "$dir/app/kurovel-run" --max-commands 100000000 "$work/$file.kv"
  echo "$wall_s s, $rss_mb MB" >"$prefix.run"
  run_timed "$dir/app/kurovel-run" --max-commands 100000000 --state "$work/state.json" "$work/$file.kv"
  echo "$wall_s s, $rss_mb MB" >"$prefix.state"
  (ulimit -v $((cap_mb * 1024)); QT_QPA_PLATFORM=offscreen run_timed "$dir/scripts/measure_open/kurovel-measure-open" "$work/$file.kv"
   declare -p status rss_mb >"$prefix.vars"; cp "$work/out" "$prefix.one")
  # shellcheck disable=SC1090
  source "$prefix.vars"
  cp "$prefix.one" "$work/out"
  awk -v ms="$(printed loaded_ms)" 'BEGIN { if (ms == "" || ms == "never") print "failed"; else printf "%.1f\n", ms / 1000 }' >"$prefix.load"
  if ((status == 0)); then echo "$rss_mb" >"$prefix.peak"; else echo "$rss_mb (exit $status)" >"$prefix.peak"; fi
  printed first_key_ms >"$prefix.key"
  printed first_width_ms >"$prefix.width"
  printed "type_ms" | awk '{ print $4 }' >"$prefix.type"
  (ulimit -v $((cap_mb * 1024)); QT_QPA_PLATFORM=offscreen run_timed "$dir/scripts/measure_open/kurovel-measure-open" --loads 3 "$work/$file.kv"
   declare -p status rss_mb >"$prefix.vars"; cp "$work/out" "$prefix.three")
  source "$prefix.vars"
  cp "$prefix.three" "$work/out"
  local peaks
  peaks=$(awk '/^peak_mb load/ { printf "%s%s", sep, $4; sep = " / " }' "$work/out")
  if ((status != 0)); then peaks="$peaks / failed (exit $status)"; fi
  echo "$peaks" >"$prefix.peaks"
  awk '/^load [0-9]+ ms/ { printf "%s%.1f", sep, $4 / 1000; sep = " / " } /^load [0-9]+ failed/ { printf "%sfailed", sep }' "$work/out" >"$prefix.reloads"
  echo >>"$prefix.reloads"
}

row() {  # label, goal, kind, file
  local label=$1 goal=$2 kind=$3 file=$4 i
  printf '%-46s' "$label"
  for i in "${!builds[@]}"; do printf ' %-26s' "$(cat "$work/build$i.$file.$kind")"; done
  printf ' %s\n' "$goal"
}

echo "Big program files, $(date -u +%Y-%m-%dT%H:%MZ), load: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
for file in breaks turns; do
  for i in "${!builds[@]}"; do
    echo "measuring $file.kv with ${builds[i]}" >&2
    measure_build "build$i" "${builds[i]}" "$file"
  done
done
for file in breaks turns; do
  echo
  echo "== $file.kv ($(du -m "$work/$file.kv" | cut -f1) MB, $(wc -l <"$work/$file.kv") line breaks)"
  printf '%-46s' ""
  for dir in "${builds[@]}"; do printf ' %-26s' "$dir"; done
  printf ' %s\n' "goal (10 M lines)"
  row "kurovel-run: time, peak" "" run "$file"
  row "kurovel-run --state: time, peak" "" state "$file"
  row "desktop: load until in the editor, s" "<= $goal_load_s" load "$file"
  row "desktop: peak of one load, MB" "< $goal_peak_mb" peak "$file"
  row "desktop: first key after the load, ms" "<= $goal_key_ms" key "$file"
  row "desktop: first width change after it, ms" "<= $goal_width_ms" width "$file"
  row "desktop: worst of 21 keys at the end, ms" "" type "$file"
  row "desktop: three loads, peak after each, MB" "as after one" peaks "$file"
  row "desktop: three loads, 2nd / 3rd load, s" "" reloads "$file"
done
echo
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
