#!/usr/bin/env bash
# Regenerates the committed PNG icons from kurovel.svg (needs rsvg-convert from librsvg2-bin).
# The PNGs are committed so that building and installing need no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --format png kurovel.svg --output "kurovel-$size.png"
done
