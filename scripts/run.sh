#!/usr/bin/env bash
# Installs what is needed, builds the release binary and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target tablescope
exec ./build/release/bin/tablescope
