#!/usr/bin/env bash
# Installs the Debian packages that Tablescope needs to build, run, test and benchmark.
# Idempotent: only packages that are missing are installed, and apt is not touched when none are.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libx11-dev libxext-dev libxrandr-dev libfreetype-dev libfontconfig-dev fonts-liberation
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth openbox fluxbox icewm xdotool wmctrl x11-utils imagemagick
  time
  libpng-dev sox python3
  librsvg2-bin dpkg-dev file desktop-file-utils appstream lintian
  g++-mingw-w64-x86-64 wine64
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
