#!/usr/bin/env bash
# Soak: the desktop program runs the help window's two sample programs (star and
# spiral, one file) again and again under Xvfb, Run after Run in one process, and
# its resident memory is sampled; a flat line means nothing grows per run.
#
# Usage: bench/peers/soak.sh   (SOAK_SECONDS=600, SOAK_EVERY=60 seconds between samples)
# Needs the build that bench/peers/run.sh makes (build-peers, KUROVEL_PEER_SELFTEST=ON).
# Not part of the test suite.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${SOAK_SECONDS:-600}
every=${SOAK_EVERY:-60}
kurovel=$root/build-peers/bench/kurovel-bench-app
[ -x "$kurovel" ] || { echo "no $kurovel: run bench/peers/run.sh first" >&2; exit 1; }

work=$(mktemp -d)
# shellcheck source=../../scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
trap 'end_xvfb_session "$work"' EXIT

start_xvfb "$work"

# Each finished run prints "run N MS"; the last line tells how many ran so far.
KUROVEL_BENCH_RUN=loop "$kurovel" "$here/workloads/soak.kv" >"$work/runs.log" 2>"$work/kurovel.log" &
kurovel_pid=$!

runs() { tail -n1 "$work/runs.log" | awk 'END { print $2 + 0 }'; }
rss() { ps -o rss= -p "$kurovel_pid" | tr -d ' '; }

for _ in $(seq 100); do [ "$(runs)" -gt 0 ] && break; sleep 0.1; done
[ "$(runs)" -gt 0 ] || { echo "the program did not run" >&2; cat "$work/kurovel.log" >&2; exit 1; }

echo "load: $(uptime)"
printf '%8s %10s %10s\n' seconds runs rss_kib
started=$SECONDS
first=$(rss)
printf '%8d %10d %10d\n' 0 "$(runs)" "$first"
while [ $((SECONDS - started)) -lt "$seconds" ]; do
  sleep "$every"
  kill -0 "$kurovel_pid" 2>/dev/null || { echo "the program ended" >&2; cat "$work/kurovel.log" >&2; exit 1; }
  printf '%8d %10d %10d\n' $((SECONDS - started)) "$(runs)" "$(rss)"
done
last=$(rss)
echo "load: $(uptime)"
echo "resident memory: start ${first} KiB, end ${last} KiB, change $((last - first)) KiB over $(runs) runs"
