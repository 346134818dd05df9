#!/usr/bin/env bash
# Runs a Windows program under Wine: CTest's emulator for the Windows build's tests. Inside a
# session of scripts/wine-session.sh it uses that session's prefix and display; alone, it makes a
# session for this one run.
set -euo pipefail
if [ -z "${TABLESCOPE_WINE_SESSION:-}" ]; then
  exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
fi
exec /usr/lib/wine/wine64 "$@"
