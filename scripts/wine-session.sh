#!/usr/bin/env bash
# Runs a command in a Wine session of its own: a fresh prefix in a temporary folder (with a home of
# its own, so that Wine writes nothing into the user's), a private Xvfb with openbox for its
# windows, and one wineserver for every Windows program the command starts. All of it goes when
# the command ends; the command's exit code is the session's.
set -euo pipefail

export WINELOADER=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

session=$(mktemp -d "${TMPDIR:-/tmp}/tablescope-wine.XXXXXX")
export HOME="$session/home" WINEPREFIX="$session/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
export TABLESCOPE_WINE_SESSION=1
mkdir -p "$HOME" "$WINEPREFIX"

server=
window_manager=
finish() {
  "$wineserver" -k >/dev/null 2>&1 || true
  [ -n "$window_manager" ] && kill "$window_manager" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$session"
}
trap finish EXIT

exec 3< <(exec Xvfb -displayfd 1 -screen 0 "${TABLESCOPE_WINE_SCREEN:-1280x800}x24" -nolisten tcp 2>/dev/null)
server=$!
read -r number <&3
export DISPLAY=":$number"
openbox --sm-disable >/dev/null 2>&1 &
window_manager=$!

# One server that stays from the first program to the last; its streams must not hold the
# caller's pipes open.
"$wineserver" -p </dev/null >/dev/null 2>&1
"$WINELOADER" wineboot -i >/dev/null 2>&1
# Wine draws every face it does not know with Liberation Sans but names it after the request;
# the replacement makes "Arial" be that face by name too.
"$WINELOADER" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1

"$@"
