#!/usr/bin/env bash
# kurovel-run under a memory limit too small for its program: it must answer
# "out of memory" with exit status 70 and leave no output behind, not crash.
#   out_of_memory.sh KUROVEL_RUN
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 20 million empty lines need a few hundred megabytes; 150 MB of address space is not enough.
status=0
head -c 20000000 /dev/zero | tr '\0' '\n' >"$work/big.kv"
(ulimit -v 150000 && exec "$tool" --bmp "$work/out.bmp" --state "$work/out.json" "$work/big.kv") \
  2>"$work/err" || status=$?
fail() { echo "FAIL: $*" >&2; cat "$work/err" >&2; exit 1; }
[ "$status" -eq 70 ] || fail "exit status $status, expected 70"
grep -qx 'kurovel-run: out of memory' "$work/err" || fail "no out-of-memory message"
[ -z "$(ls -A "$work" | grep -v -e '^big.kv$' -e '^err$')" ] || fail "outputs left: $(ls -A "$work")"
echo "PASS: exit 70, message, no output"
