#!/usr/bin/env bash
# Writes screenshots of the editor's pop-up menu (with its "変数" sub-menu open),
# of each help tab and of the main window after a run of samples/spiral.kv (the
# README's picture) to out/screenshots/, on a virtual X display.
# Builds nothing: give it a build folder in which kurovel-help-screens is built.
#   scripts/screenshots.sh build
set -euo pipefail
build=${1:?usage: scripts/screenshots.sh BUILD_FOLDER}
binary="$build/scripts/screenshots/kurovel-help-screens"
[[ -x "$binary" ]] || { echo "no $binary; build the target kurovel-help-screens first" >&2; exit 1; }
out=out/screenshots
mkdir -p "$out"
# The screen grab needs a real X server, not the offscreen platform.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$binary" "$out"
ls "$out"/*.png

# The main window itself with the pop-up menu open over the editor.
kurovel="$build/app/kurovel"
if [[ -x "$kurovel" ]]; then
  shot=$(mktemp)
  trap 'rm -f "$shot"' EXIT
  cat >"$shot" <<'SHOT'
set -euo pipefail
QT_QPA_PLATFORM=xcb "$1" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kurovel Ver1\.60 Taverin$' | head -n1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# The editor starts 80 pixels below the panel's top and the panel 250 pixels from
# the right edge; the menu bar lies above both.
xdotool mousemove $((X + WIDTH - 250 + 60)) $((Y + HEIGHT - 446 + 140)) click 3
sleep 1
import -window root "$2"
kill "$pid"
SHOT
  xvfb-run -a -s "-screen 0 1280x800x24" bash "$shot" "$kurovel" "$out/main-window-menu.png"
  echo "$out/main-window-menu.png"

  # The main window alone, samples/spiral.kv opened from the command line and run
  # with the step key (F8 starts a run at the chosen speed). Settings of their own,
  # so that the speed is the first one (最高速) and the run has ended by the grab.
  cat >"$shot" <<'SHOT'
set -euo pipefail
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
XDG_CONFIG_HOME=$settings QT_QPA_PLATFORM=xcb "$1" samples/spiral.kv &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kurovel Ver1\.60 Taverin' | head -n1)
sleep 1
xdotool windowfocus --sync "$window" key F8
sleep 2
import -window "$window" "$2"
kill "$pid"
SHOT
  xvfb-run -a -s "-screen 0 1280x800x24" bash "$shot" "$kurovel" "$out/main-window.png"
  echo "$out/main-window.png"
fi
