#!/usr/bin/env bash
# Times the same five drawings in Kurovel and in the turtle programs teachers use
# instead, side by side under one Xvfb server, and prints the medians with the
# ratios Kurovel/peer; writes screenshots of W1 and W2 from every system.
#
#   W1 star     repeat 36 [fd 100, rt 190]        (the help window's first sample)
#   W2 spiral   the help window's variables sample
#   W3          repeat 100000 [fd 1, rt 1]        (200,000 commands)
#   W4          fd 2000000000, rt 90, fd 1
#   W5          repeat 100 [repeat 36 [fd 5, rt 10], rt 4]
#
# Systems: kurovel-run (headless), kurovel (the desktop program drawing live,
# started and ended by its benchmark hook), Python's turtle with tracer(0) and
# drawing live (speed(0), delay(0)), UCBLogo. Every run is timed from process
# start to process end, the process ending right after its drawing is on screen;
# "net" subtracts the median of the same system's empty program.
#
# Usage: bench/peers/run.sh
#   PEERS_REPS=5       runs of every workload in every system
#   PEERS_TIMEOUT=60   seconds a run may take; a system that runs out of time on a
#                      workload is not run on it again and shows ">limit"
#   PEERS_OUT=out/peers  where the screenshots go
# Not part of the test suite: it installs packages and takes minutes.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
reps=${PEERS_REPS:-5}
limit=${PEERS_TIMEOUT:-60}
out=${PEERS_OUT:-$root/out/peers}
build=$root/build-peers
python=/usr/bin/python3  # Debian's, which has Tk
workloads=(empty w1 w2 w3 w4 w5)
systems=(kurovel-run kurovel python-tracer0 python-live ucblogo)
peers=(python-tracer0 python-live ucblogo)
# The title of each system's drawing window, for the screenshots.
declare -A window_title=(
  [kurovel]='^Kurovel Ver'
  [python-tracer0]='^Python Turtle Graphics$'
  [python-live]='^Python Turtle Graphics$'
  [ucblogo]='^Berkeley Logo$'
)

install_missing() {
  local missing=() package
  for package in python3-tk ucblogo xvfb xdotool imagemagick; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "installing ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y --no-install-recommends "${missing[@]}" >&2
}

build_kurovel() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKUROVEL_PEER_SELFTEST=ON >/dev/null
  cmake --build "$build" --target kurovel-bench-app kurovel-run >&2
}

# The desktop program's drawing area at its start size: the headless runner's
# screenshots use it too, so the pictures compare one to one.
desktop_area_size=568x446

# shellcheck source=../../scripts/xvfb.sh
source "$root/scripts/xvfb.sh"

# The Logo file of a workload with its closing "bye" replaced: the file DONE is
# written once the drawing is finished and the window stays open.
logo_holding() {  # workload, done file
  sed '/^bye$/d' "$here/workloads/$1.lg"
  printf 'openwrite "%s\nclose "%s\nwait 360000\n' "$2" "$2"
}

# The command line of one timed run: the process ends once its drawing is on screen.
set_command() {  # system, workload
  case "$1" in
    kurovel-run) argv=("$build/app/kurovel-run" "$here/workloads/$2.kv") ;;
    kurovel) argv=(env KUROVEL_BENCH_RUN=once "$build/bench/kurovel-bench-app" "$here/workloads/$2.kv") ;;
    python-tracer0) argv=("$python" "$here/turtle_peer.py" tracer0 "$2") ;;
    python-live) argv=("$python" "$here/turtle_peer.py" live "$2") ;;
    ucblogo) argv=(logo "$here/workloads/$2.lg") ;;
  esac
}

# Runs one system on one workload for a screenshot: the file DONE is created once
# the drawing is on screen and the window stays open.
launch_holding() {  # system, workload, done file
  local system=$1 workload=$2 done_file=$3
  case "$system" in
    kurovel-run)
      "$build/app/kurovel-run" --size "$desktop_area_size" --bmp "$done_file.bmp" "$here/workloads/$workload.kv" && : >"$done_file" ;;
    kurovel)
      KUROVEL_BENCH_RUN=hold "$build/bench/kurovel-bench-app" "$here/workloads/$workload.kv" |
        while read -r line; do [ "$line" != done ] || : >"$done_file"; done ;;
    python-tracer0 | python-live)
      "$python" "$here/turtle_peer.py" "${system#python-}" "$workload" "$done_file" ;;
    ucblogo)
      logo_holding "$workload" "$done_file" >"$work/holding.lg"
      logo "$work/holding.lg" ;;
  esac
}

# Prints the milliseconds from start to end of one run, or "timeout".
time_run() {  # system, workload
  local start end status=0 argv=()
  set_command "$1" "$2"
  start=$(date +%s%N)
  timeout -k 5 "$limit" "${argv[@]}" </dev/null >"$work/run.log" 2>&1 || status=$?
  end=$(date +%s%N)
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo timeout
  elif [ "$status" -ne 0 ]; then
    echo "$1 on $2 failed with status $status:" >&2
    tail -n 20 "$work/run.log" >&2
    exit 1
  else
    # The desktop program also reports its run alone, Run click to last frame.
    [ "$1" != kurovel ] || awk '/^run / { print $3 }' "$work/run.log" >>"$work/times/kurovel-inner.$2"
    echo $(((end - start) / 1000000))
  fi
}

median() {  # file of numbers, one a line
  sort -n "$1" | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

measure() {
  mkdir -p "$work/times"
  local rep i j system workload result
  # One untimed run each, so that no system pays alone for loading from disk.
  for system in "${systems[@]}"; do time_run "$system" empty >/dev/null; done
  rm -f "$work/times/kurovel-inner.empty"
  for rep in $(seq "$reps"); do
    # Alternate: workloads and systems take turns, each round starting one further
    # along, so that no workload always follows the long runs of another.
    for j in "${!workloads[@]}"; do
      workload=${workloads[$(((j + rep) % ${#workloads[@]}))]}
      for i in "${!systems[@]}"; do
        system=${systems[$(((i + rep) % ${#systems[@]}))]}
        [ -e "$work/times/$system.$workload.timeout" ] && continue
        result=$(time_run "$system" "$workload")
        if [ "$result" = timeout ]; then
          : >"$work/times/$system.$workload.timeout"
        else
          echo "$result" >>"$work/times/$system.$workload"
        fi
      done
    done
    echo "round $rep of $reps done ($(uptime | sed 's/.*load/load/'))" >&2
  done
  for system in "${systems[@]}"; do
    for workload in "${workloads[@]}"; do
      if [ -e "$work/times/$system.$workload.timeout" ]; then
        echo ">$((limit * 1000))" >"$work/times/$system.$workload.median"
      else
        median "$work/times/$system.$workload" >"$work/times/$system.$workload.median"
      fi
    done
  done
  for workload in "${workloads[@]}"; do
    median "$work/times/kurovel-inner.$workload" >"$work/times/kurovel-inner.$workload.median"
  done
}

wall() { cat "$work/times/$1.$2.median"; }  # system, workload
fastest() { sort -n "$work/times/$1.$2" | head -n1; }  # system, workload

# The wall time less the system's empty program; ">N" stays a lower bound.
net() {  # system, workload
  local value empty
  value=$(wall "$1" "$2")
  empty=$(wall "$1" empty)
  if [[ $value == '>'* ]]; then echo ">$((${value#>} - empty))"; else echo $((value - empty)); fi
}

# a/b to three figures; a lower bound in b makes the ratio an upper bound. A time
# at or below zero (a net time lost in the noise) gives no ratio: "-".
ratio() {  # a, b
  local a=$1 b=$2 prefix=""
  if [[ $b == '>'* ]]; then prefix="<"; b=${b#>}; fi
  if [[ $a == '>'* ]]; then echo "?"; return; fi
  awk -v a="$a" -v b="$b" -v p="$prefix" 'BEGIN { if (a <= 0 || b <= 0) print "-"; else printf "%s%.3g\n", p, a / b }'
}

print_table() {
  echo
  echo "Median wall time in ms over $reps runs, process start to end of drawing (net: less the empty program)"
  printf '%-8s' workload
  for system in "${systems[@]}"; do printf ' %21s' "$system"; done
  printf '\n%-8s' ""
  for _ in "${systems[@]}"; do printf ' %10s %10s' wall net; done
  echo
  for workload in "${workloads[@]}"; do
    printf '%-8s' "$workload"
    for system in "${systems[@]}"; do printf ' %10s %10s' "$(wall "$system" "$workload")" "$(net "$system" "$workload")"; done
    echo
  done
  printf '%-8s' "in-run"
  for workload in "${workloads[@]}"; do printf ' %s %s ms' "$workload" "$(wall kurovel-inner "$workload")"; done
  echo "  (kurovel, Run click to last frame, without start-up)"

  echo
  echo "Ratio Kurovel/peer, wall (net); below 1: Kurovel is faster"
  printf '%-8s' workload
  for mine in kurovel kurovel-run; do
    for peer in "${peers[@]}"; do printf ' %26s' "$mine/$peer"; done
  done
  echo
  for workload in "${workloads[@]:1}"; do
    printf '%-8s' "$workload"
    for mine in kurovel kurovel-run; do
      for peer in "${peers[@]}"; do
        printf ' %26s' "$(ratio "$(wall "$mine" "$workload")" "$(wall "$peer" "$workload")") ($(ratio "$(net "$mine" "$workload")" "$(net "$peer" "$workload")"))"
      done
    done
    echo
  done
}

# One line per goal: met or not, with the figures it was decided on (wall times).
check_goals() {
  echo
  echo "Goals (wall medians unless marked; in-run: the desktop program's run alone)"
  goal() {  # text, awk condition on a and b, a, b
    local verdict="NOT MET"
    if [[ $3 != '>'* ]] && awk -v a="$3" -v b="${4#>}" "BEGIN { exit !($2) }"; then verdict=met; fi
    printf '  %-58s %-8s (%s vs %s ms)\n' "$1" "$verdict" "$3" "$4"
  }
  goal "kurovel W3 faster than python-tracer0 W3" "a < b" "$(wall kurovel w3)" "$(wall python-tracer0 w3)"
  goal "kurovel W3 at least 5x faster than ucblogo W3" "5 * a <= b" "$(wall kurovel w3)" "$(wall ucblogo w3)"
  goal "kurovel-run W3 at least 5x faster than python-tracer0 W3" "5 * a <= b" \
    "$(wall kurovel-run w3)" "$(wall python-tracer0 w3)"
  # "As fast as": within 10 % or 5 ms, on the fastest run of each: both drawings
  # take less than the start-up's noise, and noise only ever adds. The desktop
  # program is judged on its run alone.
  goal "kurovel in-run W4 as fast as W1 (fastest, 10 % or 5 ms)" "a <= b * 1.1 || a <= b + 5" \
    "$(fastest kurovel-inner w4)" "$(fastest kurovel-inner w1)"
  goal "kurovel-run W4 as fast as W1 (fastest, 10 % or 5 ms)" "a <= b * 1.1 || a <= b + 5" \
    "$(fastest kurovel-run w4)" "$(fastest kurovel-run w1)"
}

# Screenshot of one system's window, or the headless runner's bitmap, as PNG.
take_screenshot() {  # system, workload
  local system=$1 workload=$2 done_file=$work/done.$1.$2 pid window target
  target=$out/$(tr '[:lower:]' '[:upper:]' <<<"$workload")-$system.png
  rm -f "$done_file"
  # A session of its own: the program and the shell around it end together.
  setsid bash -c 'launch_holding "$@"' _ "$system" "$workload" "$done_file" </dev/null >"$work/shot.log" 2>&1 &
  pid=$!
  for _ in $(seq $((limit * 10))); do
    [ -e "$done_file" ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
  done
  if [ ! -e "$done_file" ]; then
    echo "no screenshot of $system on $workload: the drawing did not end" >&2
    tail -n 20 "$work/shot.log" >&2
  elif [ "$system" = kurovel-run ]; then
    convert "$done_file.bmp" "$target"
  else
    sleep 0.5  # the last frame reaches the X server
    window=$(xdotool search --onlyvisible --name "${window_title[$system]}" | head -n1)
    import -window "$window" "$target"
  fi
  kill -TERM -- "-$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  sleep 0.2
}

main() {
  work=$(mktemp -d)
  trap 'end_xvfb_session "$work"' EXIT
  export -f launch_holding logo_holding
  export here build python work desktop_area_size
  install_missing
  build_kurovel
  start_xvfb "$work"
  # KTurtle would be a peer only where it is already installed; it is not driven here.
  if command -v kturtle >/dev/null; then
    echo "KTurtle is installed but not driven by this script: left out" >&2
  else
    echo "KTurtle is not installed: left out" >&2
  fi
  echo "load before: $(uptime)"
  measure
  echo "load after:  $(uptime)"
  print_table
  check_goals
  mkdir -p "$out"
  for workload in w1 w2; do
    for system in "${systems[@]}"; do take_screenshot "$system" "$workload"; done
  done
  echo
  echo "screenshots of W1 and W2: $out"
}

# Sourced by selftest.sh for its functions; runs only when executed.
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then main "$@"; fi
