#!/usr/bin/env bash
# Starts the desktop program from a build folder: scripts/start.sh BUILD [PROGRAM.kv].
# Without a display there is no window to open; say so and name the alternatives.
set -euo pipefail
build=$1; shift
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
No display: kurovel is a desktop program and needs a window system (DISPLAY is not set).
- Under a virtual X server:  xvfb-run -a $build/app/kurovel [PROGRAM.kv]
- Without any window, draw a program into a bitmap with the headless runner:
    $build/app/kurovel-run --bmp out.bmp --state out.json samples/star.kv
MSG
  exit 1
fi
exec "$build/app/kurovel" "$@"
