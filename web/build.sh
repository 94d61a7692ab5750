#!/usr/bin/env bash
# Builds the web edition with Emscripten into BUILD_DIR (default build-web):
#   BUILD_DIR/site/            the static site: the page (web/page/, when present),
#                              kurovel.js and kurovel.wasm, with .br and .gz copies
#   BUILD_DIR/kurovel-run-web  kurovel-run under node, same options and exit statuses
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-web}" && cd "${1:-$root/build-web}" && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# Debian's Emscripten finds its node modules there when node comes from elsewhere.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

emcmake cmake -S "$root/web" -B "$out/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/cmake" -j "$jobs"

# Assembled afresh: a file the page no longer has must not stay in the site, where
# the offline copy would keep it.
rm -rf "$out/site"
mkdir -p "$out/site"
if [ -d "$root/web/page" ]; then cp -R "$root/web/page/." "$out/site/"; fi
cp "$out/cmake/kurovel.js" "$out/cmake/kurovel.wasm" "$out/site/"
# --- the page's libraries from npm, pinned in web/package-lock.json (web/page/README.md) ---
if [ -d "$root/web/page" ]; then
  locked() { node -p "require('$root/web/package-lock.json').packages['node_modules/$1'].version"; }
  installed() { node -p "require('$root/web/node_modules/$1/package.json').version" 2>/dev/null || true; }
  if [ "$(installed qr)" != "$(locked qr)" ]; then (cd "$root/web" && npm ci --no-audit --no-fund); fi
  mkdir -p "$out/site/js/vendor"
  # The QR encoder of the share dialog: one self-contained ES module, with its licence.
  cp "$root/web/node_modules/qr/index.js" "$out/site/js/vendor/qr.js"
  cp "$root/web/node_modules/qr/LICENSE-MIT" "$out/site/js/vendor/qr.LICENSE-MIT.txt"
fi
# --- end of the page's libraries ---
# --- the page's fixed texts (web/page/README.md) ---
if [ -d "$root/web/page" ]; then
  node "$out/cmake/make_texts.js" > "$out/site/texts.json.tmp"
  mv "$out/site/texts.json.tmp" "$out/site/texts.json"
fi
# --- end of the page's fixed texts ---
# --- the page's scripts in one file (web/page/README.md) ---
if [ -d "$root/web/page" ]; then node "$root/web/bundle_page.mjs" "$out/site"; fi
# --- end of the page's scripts in one file ---
# --- the build's stamps: module and glue paired, the offline cache (web/page/README.md) ---
if [ -d "$root/web/page" ]; then node "$root/web/stamp_site.mjs" "$out/site"; fi
# --- end of the build's stamps ---
# --- precompressed copies, which web/serve.mjs and a school's server send as they are (README.md) ---
if [ -d "$root/web/page" ]; then
  find "$out/site" -type f \( -name '*.html' -o -name '*.js' -o -name '*.css' -o -name '*.json' \
       -o -name '*.wasm' -o -name '*.webmanifest' -o -name '*.svg' \) -print0 |
    while IFS= read -r -d '' file; do
      brotli --best --force --keep -- "$file"
      gzip --best --force --keep --no-name -- "$file"
    done
fi
# --- end of the precompressed copies ---
cp "$out/cmake/kurovel-run-web.js" "$out/cmake/kurovel-run-web.wasm" "$out/"

cat > "$out/kurovel-run-web" <<'WRAPPER'
#!/bin/sh
# kurovel-run compiled to WebAssembly, run by node; the exit status is kurovel-run's.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
exec node "$(dirname "$0")/kurovel-run-web.js" "$@"
WRAPPER
chmod +x "$out/kurovel-run-web"
echo "web edition built in $out (site: $out/site)"
