#!/usr/bin/env bash
# Reading a program costs work in proportion to its size whatever it holds: a UTF-8
# byte order mark followed by 4 MB of continuation bytes (each one an invalid
# sequence) costs at most 4 times the work of a plain file of the same size. Work
# is counted in instructions under callgrind, so the machine's load plays no part.
#   linear_reading.sh KUROVEL_RUN
set -euo pipefail
tool=$1
command -v valgrind >/dev/null || { echo "valgrind is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

size=$((4 * 1024 * 1024))
{ printf '\xEF\xBB\xBF'; head -c "$size" /dev/zero | tr '\0' '\200'; } >"$work/continuation.kv"
{ printf '\xEF\xBB\xBF'; head -c "$size" /dev/zero | tr '\0' 'a'; } >"$work/plain.kv"

# Instructions of one run, or nothing when it did not finish within 5 minutes
# (the linear run takes seconds under callgrind; the old quadratic one, hours).
instructions() {
  timeout 300 valgrind --tool=callgrind --callgrind-out-file=/dev/null "$tool" --state /dev/null "$1" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' || true
}
plain=$(instructions "$work/plain.kv")
hostile=$(instructions "$work/continuation.kv")
[ -n "$plain" ] || { echo "FAIL: the plain file was not read" >&2; exit 1; }
[ -n "$hostile" ] || { echo "FAIL: 4 MB of continuation bytes were not read within 5 minutes" >&2; exit 1; }
echo "instructions: plain file $plain, continuation bytes $hostile"
((hostile <= 4 * plain)) || { echo "FAIL: more than 4 times the work of a plain file" >&2; exit 1; }
echo "PASS"
