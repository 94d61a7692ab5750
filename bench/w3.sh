#!/usr/bin/env bash
# W3 (repeat 100000 / fd 1 / rt 1 / next: 200,000 commands) in the desktop program
# and in kurovel-run, for this tree and, side by side in the same session, for an
# earlier commit; prints the medians beside the goals.
#
#   desktop in-run   the desktop program under Xvfb, from the click on Run until
#                    the run's last frame (the benchmark hook's "run N MS"), and the
#                    desktop benchmark (kurovel-bench-desktop, click to Run enabled)
#   kurovel-run net  the wall time of W3 less the median of the empty program
#
# Usage: bench/w3.sh [BASE_COMMIT]
#   W3_REPS=9         runs of each measurement in each build
# Builds (Release) go to build-w3/: this tree in now/, the base commit's files
# (git archive) in base-src/ and its build in base/. Not part of the test suite.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
workloads=$here/peers/workloads
reps=${W3_REPS:-9}
base_commit=${1:-}
out=$root/build-w3
commands=200000
# The goals: the desktop at 3 M commands/s or more, kurovel-run's net at most 25 ms.
desktop_goal_ms=67
run_net_goal_ms=25

# shellcheck source=../scripts/xvfb.sh
source "$root/scripts/xvfb.sh"

build_tree() {  # source folder, build folder
  echo "building $1 in $2" >&2
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKUROVEL_BUILD_TESTS=OFF >/dev/null
  cmake --build "$2" --target kurovel-run kurovel-bench-app kurovel-bench-desktop >"$2/w3-build.log" 2>&1 ||
    { tail -n 40 "$2/w3-build.log" >&2; exit 1; }
}

median() {  # numbers, one a line, on standard input
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

wall_ms() {  # command...: milliseconds from start to end
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

# One round of every measurement for one build; appends to $work/NAME.KIND.
measure_round() {  # name, build folder
  local name=$1 build=$2 inner
  wall_ms "$build/app/kurovel-run" "$workloads/w3.kv" >>"$work/$name.run-w3"
  wall_ms "$build/app/kurovel-run" "$workloads/empty.kv" >>"$work/$name.run-empty"
  inner=$(KUROVEL_BENCH_RUN=once "$build/bench/kurovel-bench-app" "$workloads/w3.kv" </dev/null | awk '/^run / { print $3 }')
  [ -n "$inner" ] || { echo "$name: the desktop program reported no run" >&2; exit 1; }
  echo "$inner" >>"$work/$name.desktop"
  # Google Benchmark's line for W3: its time in ms (click to Run enabled in this tree).
  "$build/bench/kurovel-bench-desktop" --benchmark_filter=BM_DesktopRunFdRt --benchmark_min_time=0.3 2>/dev/null |
    awk '/^BM_DesktopRunFdRt/ { print $2 }' >>"$work/$name.bench"
}

figure() { median <"$work/$1.$2"; }  # name, kind
net() { awk -v w="$(figure "$1" run-w3)" -v e="$(figure "$1" run-empty)" 'BEGIN { print w - e }'; }
rate() { awk -v ms="$1" -v n="$commands" 'BEGIN { printf "%.2f M", n / ms / 1000 }'; }  # commands/s at ms
verdict() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b ? "met" : "NOT MET") }'; }

print_table() {
  local names=("$@") name
  echo
  echo "W3, $commands commands: medians of $reps runs each, one Xvfb session ($(date -u +%Y-%m-%dT%H:%MZ))"
  printf '%-40s' ""
  for name in "${names[@]}"; do printf ' %16s' "$(cat "$work/$name.label")"; done
  printf ' %16s\n' goal
  row() {  # label, goal text, then one value a build
    local label=$1 goal=$2
    shift 2
    printf '%-40s' "$label"
    for value in "$@"; do printf ' %16s' "$value"; done
    printf ' %16s\n' "$goal"
  }
  local desktop=() desktop_rate=() bench=() bench_rate=() w3=() empty=() nets=()
  for name in "${names[@]}"; do
    desktop+=("$(figure "$name" desktop)")
    desktop_rate+=("$(rate "$(figure "$name" desktop)")")
    bench+=("$(figure "$name" bench)")
    bench_rate+=("$(rate "$(figure "$name" bench)")")
    w3+=("$(figure "$name" run-w3)")
    empty+=("$(figure "$name" run-empty)")
    nets+=("$(net "$name")")
  done
  row "desktop in-run, ms (Run click to end)" "<= $desktop_goal_ms" "${desktop[@]}"
  row "desktop in-run, commands/s" ">= 3 M" "${desktop_rate[@]}"
  row "kurovel-bench-desktop W3, ms" "<= $desktop_goal_ms" "${bench[@]}"
  row "kurovel-bench-desktop W3, commands/s" ">= 3 M" "${bench_rate[@]}"
  row "kurovel-run W3 wall, ms" "" "${w3[@]}"
  row "kurovel-run empty program wall, ms" "" "${empty[@]}"
  row "kurovel-run W3 net, ms" "<= $run_net_goal_ms" "${nets[@]}"
  local now=${names[-1]}
  echo
  echo "Goals for this tree:"
  echo "  desktop W3 in-run <= $desktop_goal_ms ms:  $(verdict "$(figure "$now" desktop)" "$desktop_goal_ms")"
  echo "  desktop benchmark W3 <= $desktop_goal_ms ms:  $(verdict "$(figure "$now" bench)" "$desktop_goal_ms")"
  echo "  kurovel-run W3 net <= $run_net_goal_ms ms:  $(verdict "$(net "$now")" "$run_net_goal_ms")"
}

main() {
  work=$(mktemp -d)
  trap 'end_xvfb_session "$work"' EXIT
  local names=() name
  if [ -n "$base_commit" ]; then
    rm -rf "$out/base-src"
    mkdir -p "$out/base-src"
    git -C "$root" archive "$base_commit" | tar -x -C "$out/base-src"
    build_tree "$out/base-src" "$out/base"
    names+=(base)
    git -C "$root" rev-parse --short "$base_commit" >"$work/base.label"
  fi
  build_tree "$root" "$out/now"
  names+=(now)
  echo "this tree" >"$work/now.label"
  start_xvfb "$work"
  echo "load before: $(uptime)" >&2
  local rep
  for rep in $(seq "$reps"); do
    # The builds take turns, each round starting with the other one.
    if ((rep % 2)); then
      for name in "${names[@]}"; do measure_round "$name" "$out/$name"; done
    else
      for ((i = ${#names[@]} - 1; i >= 0; i--)); do measure_round "${names[i]}" "$out/${names[i]}"; done
    fi
    echo "round $rep of $reps done" >&2
  done
  echo "load after:  $(uptime)" >&2
  print_table "${names[@]}"
}

main "$@"
