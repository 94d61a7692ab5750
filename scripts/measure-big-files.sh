#!/usr/bin/env bash
# Time and peak memory of big program files: kurovel-run (with and without
# --state) and the desktop window opening each file offscreen until it is in the
# editor, printed beside the goals. Not part of ./dev test.
#   scripts/measure-big-files.sh [BUILD_DIR]   (default: build)
# Needs kurovel-run and kurovel-measure-open built in BUILD_DIR.
set -euo pipefail

build=${1:-build}
run_bin=$build/app/kurovel-run
open_bin=$build/scripts/measure_open/kurovel-measure-open
for bin in "$run_bin" "$open_bin"; do
  [[ -x $bin ]] || { echo "missing $bin: build kurovel-run and kurovel-measure-open first" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 10 MB of line breaks (10 M empty lines) and 60 MB of 'fd 1' / 'rt 1' lines.
head -c $((10 * 1024 * 1024)) /dev/zero | tr '\0' '\n' >"$work/breaks.kv"
yes $'fd 1\r\nrt 1\r' | head -c $((60 * 1024 * 1024)) >"$work/turns.kv" || true  # yes ends on SIGPIPE

# Runs a command under /usr/bin/time -v; prints "SECONDS MAX_RSS_MB" then the
# command's own standard output lines prefixed with "#".
measure() {
  local out=$work/out rc=0
  /usr/bin/time -v -o "$work/time" "$@" >"$out" 2>/dev/null || rc=$?
  local rss_kb wall
  rss_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time")
  # m:ss.cc or h:mm:ss to seconds
  wall=$(awk -v t="$wall" 'BEGIN { n = split(t, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }')
  printf '%8.2f s %8.0f MB  exit %d\n' "$wall" "$((rss_kb / 1024))" "$rc"
  sed 's/^/             # /' "$out" | grep -v '^ *# $' | grep -E 'shown|loaded|type|lines' || true
}

printf '%-44s %s\n' "what" "time, max RSS, exit"
for file in breaks turns; do
  size=$(du -m "$work/$file.kv" | cut -f1)
  echo "== $file.kv (${size} MB, $(wc -l <"$work/$file.kv") line breaks)"
  printf '%-44s ' "kurovel-run"
  measure "$run_bin" --max-commands 100000000 "$work/$file.kv"
  printf '%-44s ' "kurovel-run --state"
  measure "$run_bin" --max-commands 100000000 --state "$work/state.json" "$work/$file.kv"
  printf '%-44s ' "desktop: open offscreen until in the editor"
  QT_QPA_PLATFORM=offscreen measure "$open_bin" "$work/$file.kv"
done
cat <<'GOALS'
Goals: kurovel-run on the 10 MB line-break file under 1 GB and 3 s; 10 M lines
under 1.5 GB. Desktop: the window at once, a progress dialog while loading, a key
typed at the end handled without a noticeable delay.
GOALS
