#!/usr/bin/env bash
# End to end under a real X server: starts the desktop program with a program
# file, types a Japanese line into the command box, presses Enter, tabs to the Run
# button and presses it, then checks the drawing area's pixels on a screenshot.
# Usage: e2e_xvfb.sh KUROVEL_BINARY. Exit 77 (skipped) only when Xvfb is missing.
set -euo pipefail
kurovel=$1

command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
for tool in xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"
trap 'end_xvfb_session "$work"' EXIT

start_xvfb "$work"

# The program turns right and draws 50 pixels: it runs after the typed line.
printf 'rt 90\r\nfd 50\r\n' >"$work/turn.kv"
XDG_CONFIG_HOME="$work/xdg" XDG_CACHE_HOME="$work/xdg" XDG_DATA_HOME="$work/xdg" \
  "$kurovel" "$work/turn.kv" >"$work/kurovel.log" 2>&1 &
kurovel_pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kurovel Ver1\.60 Taverin$' | head -n1)
[ -n "$window" ] || { echo "no main window" >&2; cat "$work/kurovel.log" >&2; exit 1; }
xdotool windowfocus --sync "$window"

# Counts the pure red (arrow) and pure blue (pen) pixels of the window and the
# longest blue column and row: "red total tallest widest".
measure() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root "$work/shot.png"
  convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage txt:- |
    awk -F'[,: ]+' '/#FF0000/ { red++ } /#0000FF/ { total++; column[$1]++; row[$2]++ }
      END {
        for (x in column) if (column[x] > tallest) tallest = column[x]
        for (y in row) if (row[y] > widest) widest = row[y]
        printf "%d %d %d %d\n", red, total, tallest, widest
      }'
}
# Polls until the condition on (red total tallest widest) holds; a loaded machine
# may take a while to paint, type and run.
wait_for() {  # description, awk condition
  local result
  for _ in $(seq 60); do
    result=$(measure)
    if echo "$result" | awk "{ exit !($2) }"; then return 0; fi
    sleep 0.5
  done
  echo "$1: red, blue, longest column, longest row = $result" >&2
  cp "$work/shot.png" /tmp/kurovel-e2e-failure.png 2>/dev/null || true
  exit 1
}

# The first repaint wipes the area and draws the arrow; typing before it would
# have its line wiped.
wait_for "no arrow after start" '$1 > 0 && $2 == 0'
# The command box has the focus at start.
xdotool type --delay 40 'まえに　１００'
xdotool key Return
# fd 100 upwards: 100 pixels (the end pixel is not drawn).
wait_for "the typed line did not draw" '$2 == 100 && $3 == 100'
# Edit1 -> Memo1 -> Button1 -> Button6 (Run); Space presses it.
xdotool key Tab Tab Tab space
# rt 90, fd 50 from there: 50 pixels in one row, the first in the same column.
wait_for "unexpected drawing after Run" '$2 == 150 && $3 == 101 && $4 == 50'
echo "blue pixels 150, longest column 101, longest row 50"

kill -0 "$kurovel_pid" || { echo "kurovel ended early" >&2; exit 1; }
echo "e2e passed"
