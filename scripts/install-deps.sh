#!/usr/bin/env bash
# Installs the Debian packages that Tablescope needs to build, run, test and benchmark, and the npm
# packages of the web build's tests. Idempotent: only packages that are missing are installed, and
# apt and npm are not touched when none are.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libx11-dev libxext-dev libxrandr-dev libfreetype-dev libfontconfig-dev fonts-liberation
  libwayland-dev wayland-protocols libxkbcommon-dev libdecor-0-dev libdecor-0-plugin-1-cairo
  sway weston grim wtype
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth openbox fluxbox icewm twm fvwm3 awesome i3-wm xfwm4 dbus xdotool wmctrl x11-utils imagemagick
  time
  libpng-dev sox python3
  libasound2-dev
  librsvg2-bin dpkg-dev file desktop-file-utils appstream lintian
  g++-mingw-w64-x86-64 wine64
  emscripten chromium firefox-esr
  clang libclang-rt-14-dev
)
# npm comes with some builds of Node.js; Debian's nodejs needs its own package.
if ! command -v npm >/dev/null; then
  packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# puppeteer-core for the web build's tests, as package-lock.json pins it; it downloads no browser
# (the tests use Debian's chromium and firefox-esr). Installed again only when the lock file has changed.
cd "$(dirname "$0")/.."
if ! cmp -s package-lock.json node_modules/.tablescope-package-lock.json 2>/dev/null; then
  npm ci --ignore-scripts --no-audit --no-fund
  cp package-lock.json node_modules/.tablescope-package-lock.json
fi
