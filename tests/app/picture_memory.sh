#!/usr/bin/env bash
# A background picture costs about 4 bytes a pixel at the peak of a run: a 1,080-byte
# run-length file that claims 10000 x 10000 pixels (the most a file may claim) is
# laid under a drawing within 4.5 bytes a claimed pixel plus 32 MB of address space.
#   picture_memory.sh KUROVEL_RUN
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
side=10000
{
  printf 'BM'; le32 1080; le32 0; le32 1078                       # file header: pixel data at 1078
  le32 40; le32 $side; le32 $side; le16 1; le16 8; le32 1; le32 2  # 8 bits, RLE8, 2 bytes of data
  le32 3780; le32 3780; le32 256; le32 0
  head -c 1024 /dev/zero                                           # 256 black palette entries
  printf '\x00\x01'                                                # end of bitmap
} >"$work/claim.bmp"
[ "$(stat -c %s "$work/claim.bmp")" -eq 1080 ] || { echo "FAIL: the file is not 1,080 bytes" >&2; exit 1; }
printf 'fd 10\n' >"$work/p.kv"

limit_kb=$((side * side * 9 / 2 / 1024 + 32 * 1024))
status=0
(ulimit -v "$limit_kb" && exec "$tool" --background "$work/claim.bmp" --bmp "$work/out.bmp" "$work/p.kv") \
  2>"$work/err" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status within $limit_kb KB" >&2; cat "$work/err" >&2; exit 1; }
[ -s "$work/out.bmp" ] || { echo "FAIL: no picture written" >&2; exit 1; }
echo "PASS: a 100-megapixel background within $limit_kb KB"
