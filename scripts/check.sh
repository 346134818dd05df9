#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the release build's whole suite, then the
# web build's tests under Node and in headless Chromium and Firefox ESR, then the unit and headless
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, then the presentation layer's
# fuzzer for a minute, then the Windows build's tests under Wine on a desktop of their own, ending
# with tablescope.exe driven as a user would.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
jobs=$(nproc)

cmake --preset release
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"

# The web build: its unit and headless tests under Node, the page in headless Chromium and Firefox
# ESR against the pages the release build writes.
cmake --preset web
cmake --build --preset web -j "$jobs"
ctest --preset web -j "$jobs"

cmake --preset debug
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs"

cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz

cmake --preset windows
cmake --build --preset windows -j "$jobs"
./scripts/wine-session.sh ctest --preset windows -j "$jobs"
