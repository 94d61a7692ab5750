#!/usr/bin/env bash
# The class report in Chromium: kurovel-class on the samples, the pentagon
# exercise programs and generated figures; the report must load offline with
# every drawing decoded at full size, a click must enlarge a drawing and a second
# click shrink it again, and the CSV must hold a row per file.
#   class_report_browser.sh KUROVEL_CLASS SOURCE_DIR
# Exit status: 0 passed, 1 failed, 77 no Chromium.
set -uo pipefail

tool=$1
source_dir=$2
chromium=${CHROMIUM:-$(command -v chromium || command -v chromium-browser || true)}
[ -n "$chromium" ] || { echo "SKIP: no chromium" >&2; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/class"
cp "$source_dir"/samples/*.kv "$source_dir"/tests/exercises/4-pentagon/*.kv "$work/class/"
for sides in 3 4 5 6 8 12; do
  printf 'repeat %d\nfd 60\nrt %d\nnext\n' "$sides" $((360 / sides)) >"$work/class/generated-$sides.kv"
done
files=$(ls "$work/class" | wc -l)

"$tool" --check 4 --report "$work/report.html" "$work/class" >"$work/out" || { echo "FAIL: kurovel-class failed" >&2; exit 1; }

# The report itself has no script; a copy gets one that measures it once loaded.
sed 's|</body>|<script>\
window.addEventListener("load", () => {\
  const images = [...document.querySelectorAll("img")];\
  const decoded = images.filter((i) => i.complete \&\& i.naturalWidth === 361 \&\& i.naturalHeight === 446).length;\
  const label = document.querySelector("label.drawing");\
  const width = () => Math.round(label.querySelector("img").getBoundingClientRect().width);\
  const before = width();\
  label.click();\
  const after = width();\
  label.click();\
  document.body.dataset.result = `images=${images.length} decoded=${decoded} before=${before} after=${after} back=${width()}`;\
});\
</script></body>|' "$work/report.html" >"$work/measured.html"
timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
  --disable-dev-shm-usage --user-data-dir="$work/profile" --window-size=1280,900 \
  --dump-dom "file://$work/measured.html" >"$work/dom" 2>/dev/null
result=$(grep -o 'data-result="[^"]*"' "$work/dom" | head -1)
echo "$files files: $result"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
[[ $result =~ images=([0-9]+)\ decoded=([0-9]+)\ before=([0-9]+)\ after=([0-9]+)\ back=([0-9]+) ]] ||
  { echo "FAIL: the report did not load in Chromium" >&2; exit 1; }
images=${BASH_REMATCH[1]} decoded=${BASH_REMATCH[2]} before=${BASH_REMATCH[3]} after=${BASH_REMATCH[4]} back=${BASH_REMATCH[5]}
[ "$images" -eq "$files" ] || fail "$images drawings for $files files"
[ "$decoded" -eq "$images" ] || fail "only $decoded of $images drawings decode at 361x446"
[ "$after" -gt $((before * 2)) ] || fail "a click does not enlarge the drawing ($before -> $after)"
[ "$back" -eq "$before" ] || fail "a second click does not shrink it again ($after -> $back)"
[ "$(wc -l <"$work/report.csv")" -eq $((files + 1)) ] || fail "the CSV does not have a row per file"
grep -q "本中 .* 本が合格" "$work/out" || fail "no summary line"
[ "$failures" -eq 0 ]
