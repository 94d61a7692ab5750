#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kurovel need,
# and does nothing when they are all present. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-translations-l10n libgl-dev libqscintilla2-qt6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  xvfb xauth xdotool x11-utils imagemagick
  dbus-daemon dbus-x11 at-spi2-core
  nlohmann-json3-dev libpng-dev
  clang libclang-rt-14-dev valgrind
  desktop-file-utils shared-mime-info libxml2-utils dpkg-dev file man-db
  emscripten nodejs python3 esbuild brotli
  npm chromium webkit2gtk-driver
)

# A Node.js from elsewhere (NodeSource's package, say) brings its own npm and
# conflicts with Debian's npm package: a command already on PATH is kept.
provided_by_command() {
  case "$1" in
    nodejs) command -v node >/dev/null ;;
    npm) command -v npm >/dev/null ;;
    *) return 1 ;;
  esac
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' && ! provided_by_command "$p"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
