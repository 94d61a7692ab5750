#!/usr/bin/env bash
# Writes screenshots of the editor's pop-up menu (with its "変数" sub-menu open)
# and of each help tab to out/screenshots/, on a virtual X display.
# Builds nothing: give it a build folder in which kurovel-help-tests is built.
#   scripts/screenshots.sh build
set -euo pipefail
build=${1:?usage: scripts/screenshots.sh BUILD_FOLDER}
binary="$build/tests/ui/kurovel-help-tests"
[[ -x "$binary" ]] || { echo "no $binary; build the target kurovel-help-tests first" >&2; exit 1; }
out=out/screenshots
mkdir -p "$out"
# The screen grab needs a real X server, not the offscreen platform the tests use.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$binary" --screenshots "$out"
ls "$out"/*.png
