#!/usr/bin/env bash
# Starts Kurovel from a build folder. Until the desktop program is built, renders
# the sample program with the headless runner and writes its picture.
set -euo pipefail
build=$1; shift
sample="$(dirname "$0")/../samples/spiral.kv"
mkdir -p out
"$build/app/kurovel-run" --bmp out/spiral.bmp --state out/spiral.json "$sample"
echo "Wrote out/spiral.bmp and out/spiral.json"
