#!/usr/bin/env bash
# End to end under a real X server: starts the desktop program with a program
# file, types a Japanese line into the command box, presses Enter, tabs to the Run
# button and presses it, then checks the drawing area's pixels on a screenshot.
# Usage: e2e_xvfb.sh KUROVEL_BINARY. Exit 77 (skipped) only when Xvfb is missing.
set -euo pipefail
kurovel=$1

command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
for tool in xdotool xkbcomp import convert dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done

# The test reports its own failure, with a screenshot, once this many seconds have
# passed, well inside ctest's limit (tests/ui/CMakeLists.txt): a loaded machine
# or a sanitizer build may be slow, but never that slow.
budget=${KUROVEL_E2E_BUDGET:-150}
deadline=$((SECONDS + budget))
remaining() { echo $((deadline > SECONDS ? deadline - SECONDS : 1)); }

work=$(mktemp -d)
# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"
trap 'end_xvfb_session "$work"' EXIT

start_xvfb "$work"

typed_line='まえに　１００'
# The line's characters as keysym names (U+307E is U307E), in order.
mapfile -t line_keysyms < <(printf '%s' "$typed_line" | iconv -f UTF-8 -t UTF-32BE | od -An -v -tx4 --endian=big |
  tr -s ' ' '\n' | grep . | while read -r code; do printf 'U%04X\n' "0x$code"; done)
# xdotool presses a keysym that has no key by binding it to a spare key for a
# moment; a program slowed down by a busy machine reads the keyboard map after
# that moment and loses the character or takes another one ("まにに　１０").
# Each character of the line gets a spare key of its own before the program
# starts, so pressing it never changes the map.
bind_line_keys() {
  local map=$work/keymap.xkb keysyms spare i
  xkbcomp "$DISPLAY" "$map" 2>/dev/null
  mapfile -t keysyms < <(printf '%s\n' "${line_keysyms[@]}" | sort -u)
  # Key names the map defines but binds to nothing.
  mapfile -t spare < <(awk '
    /^xkb_keycodes/, /^};/ { if (match($0, /<[A-Z0-9]+> *= *[0-9]+;/)) { k = substr($0, RSTART, RLENGTH); sub(/ *=.*/, "", k); defined[k] = 1 } }
    /^xkb_symbols/, /^};/ { if (match($0, /key +<[A-Z0-9]+>/)) { k = substr($0, RSTART, RLENGTH); sub(/key +/, "", k); bound[k] = 1 } }
    END { for (k in defined) if (!(k in bound)) print k }' "$map")
  ((${#spare[@]} >= ${#keysyms[@]})) || { echo "only ${#spare[@]} spare keys" >&2; exit 1; }
  for i in "${!keysyms[@]}"; do printf '    key %s { [ %s ] };\n' "${spare[i]}" "${keysyms[i]}"; done >"$work/bindings"
  awk -v bindings="$work/bindings" '{ print } /^xkb_symbols/ { while ((getline line < bindings) > 0) print line }' \
    "$map" >"$map.bound"
  xkbcomp "$map.bound" "$DISPLAY" 2>"$work/xkbcomp.log" || { cat "$work/xkbcomp.log" >&2; exit 1; }
}
bind_line_keys

# The program turns right and draws 50 pixels: it runs after the typed line.
printf 'rt 90\r\nfd 50\r\n' >"$work/turn.kv"
XDG_CONFIG_HOME="$work/xdg" XDG_CACHE_HOME="$work/xdg" XDG_DATA_HOME="$work/xdg" \
  "$kurovel" "$work/turn.kv" >"$work/kurovel.log" 2>&1 &
kurovel_pid=$!

window=$(timeout "$(remaining)" xdotool search --sync --onlyvisible --name '^Kurovel Ver1\.60 Taverin$' | head -n1) || true
if [ -z "$window" ]; then
  echo "no main window on display $DISPLAY after $((SECONDS - deadline + budget)) s" >&2
  cat "$work/kurovel.log" "$work/xvfb.log" >&2
  exit 1
fi
timeout "$(remaining)" xdotool windowfocus --sync "$window"

# Counts the pure red (arrow) and pure blue (pen) pixels of the window and the
# longest blue column and row: "red total tallest widest". Only the window is
# captured, uncompressed; a window not yet viewable counts as nothing drawn.
measure() {
  import -window "$window" -depth 8 "$work/shot.ppm" 2>/dev/null || { echo "0 0 0 0"; return; }
  convert "$work/shot.ppm" txt:- |
    awk -F'[,: ]+' '/#FF0000/ { red++ } /#0000FF/ { total++; column[$1]++; row[$2]++ }
      END {
        for (x in column) if (column[x] > tallest) tallest = column[x]
        for (y in row) if (row[y] > widest) widest = row[y]
        printf "%d %d %d %d\n", red, total, tallest, widest
      }'
}
# Polls until the condition on (red total tallest widest) holds or the deadline
# has passed; then says what it last saw and keeps that screenshot.
wait_for() {  # description, awk condition
  local result
  while :; do
    result=$(measure)
    if echo "$result" | awk "{ exit !($2) }"; then return 0; fi
    ((SECONDS < deadline)) || break
    sleep 0.2
  done
  echo "$1 after ${budget}s: red, blue, longest column, longest row = $result" >&2
  convert "$work/shot.ppm" /tmp/kurovel-e2e-failure.png 2>/dev/null &&
    echo "screenshot: /tmp/kurovel-e2e-failure.png" >&2
  exit 1
}

# The first repaint wipes the area and draws the arrow; typing before it would
# have its line wiped.
wait_for "no arrow after start" '$1 > 0 && $2 == 0'
# The command box has the focus at start.
xdotool key --delay 40 "${line_keysyms[@]}"  # typed_line, key by key
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
