#!/usr/bin/env bash
# The page's tests in WebKit (web/tests/webkit/*.test.mjs): WebKitGTK's MiniBrowser
# driven by WebKitWebDriver (Debian's webkit2gtk-driver), on a virtual X display
# and a session bus of their own (scripts/xvfb.sh), never the desktop's. After
# web/build.sh and `npm ci` in web/:
#   web/tests/webkit/run.sh [node --test options]
# Without WebKitWebDriver it says so and does nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
if ! command -v WebKitWebDriver >/dev/null; then
  echo "WebKit tests skipped: WebKitWebDriver is missing (Debian package webkit2gtk-driver, scripts/install-deps.sh)"
  exit 0
fi
source "$root/scripts/xvfb.sh"
work=$(mktemp -d)
trap 'end_xvfb_session "$work"' EXIT
start_xvfb "$work"
# The tests start their own driver and browsers, whose processes end with them.
cd "$root/web"
node --test "$@" tests/webkit/*.test.mjs
