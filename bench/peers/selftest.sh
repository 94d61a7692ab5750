#!/usr/bin/env bash
# Checks of the peer benchmark itself: the figures it reports (medians, net times,
# ratios around a run that ran out of time) and the desktop program's benchmark
# hook, whose end of run must come with the complete drawing on screen: the
# screenshot of the drawing area must equal the headless runner's picture pixel
# for pixel.
# Usage: selftest.sh BUILD_DIR (a build with KUROVEL_PEER_SELFTEST=ON).
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=run.sh
source "$here/run.sh"  # its functions; it runs only when executed itself
build=$(cd "$1" && pwd)
failures=0

work=$(mktemp -d)
out=$work/out
mkdir -p "$out" "$work/times"
trap cleanup EXIT

expect() {  # what, expected, actual
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  fi
}

# Medians: odd and even counts, numeric (not text) order.
while read -r values expected; do
  tr ',' '\n' <<<"$values" >"$work/values"
  expect "median of $values" "$expected" "$(median "$work/values")"
done <<'TABLE'
5 5
3,1,2 2
10,2,4,8 6
7,100,7,1,2 7
9,10 9
TABLE

# Ratios: a run that ran out of time is a lower bound (">N"), which makes a ratio
# with it below an upper bound; nothing is divided by zero or a negative time.
while read -r a b expected; do
  expect "ratio $a/$b" "$expected" "$(ratio "$a" "$b")"
done <<'TABLE'
100 200 0.5
300 100 3
2 3 0.667
100 >1000 <0.1
266 >60000 <0.00443
>100 200 ?
5 0 -
5 -3 -
-22 150 -
TABLE

# Net times: less the same system's empty program, lower bounds kept.
for entry in empty:100 w1:250 w3:'>60000' w4:90; do
  echo "${entry#*:}" >"$work/times/sys.${entry%%:*}.median"
done
while read -r workload expected; do
  expect "net of $workload" "$expected" "$(net sys "$workload")"
done <<'TABLE'
w1 150
w3 >59900
w4 -10
empty 0
TABLE

# The hook under a real X server.
for tool in Xvfb xdotool import convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: skipped"; exit 77; }
done
start_xvfb
export -f launch_holding logo_holding
export here build python work desktop_area_size

# "once": one run, then the process ends by itself with status 0.
status=0
timeout 60 env KUROVEL_BENCH_RUN=once "$build/bench/kurovel-bench-app" "$here/workloads/w5.kv" >"$work/once.log" 2>&1 || status=$?
expect "status of a run with KUROVEL_BENCH_RUN=once" 0 "$status"
expect "runs reported" 1 "$(grep -c '^run [0-9]* [0-9]*$' "$work/once.log")"

# "hold": when it says done, the drawing area shows what the headless runner draws.
# The area is at the window's bottom left, below the menu bar.
for workload in w1 w2 w5; do
  for system in kurovel kurovel-run; do take_screenshot "$system" "$workload"; done
  shot=$out/$(tr '[:lower:]' '[:upper:]' <<<"$workload")
  read -r height < <(identify -format '%h\n' "$shot-kurovel.png")
  convert "$shot-kurovel.png" -crop "${desktop_area_size}+0+$((height - ${desktop_area_size#*x}))" +repage "$shot-area.png"
  differing=$(compare -metric AE "$shot-area.png" "$shot-kurovel-run.png" null: 2>&1 || true)
  expect "pixels that differ between the desktop and the headless $workload" 0 "$differing"
done

[ "$failures" -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
