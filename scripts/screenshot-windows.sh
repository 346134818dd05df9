#!/usr/bin/env bash
# Takes the README's screenshot of the Windows build: tablescope.exe under Wine, frame and all,
# on the private desktop of a Wine session, written to docs/screenshot-windows.png. Needs the
# windows preset built.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${TABLESCOPE_WINE_SESSION:-}" ]; then
  exec ./scripts/wine-session.sh "$0" "$@"
fi
binary=build/windows/bin/tablescope.exe
output=${1:-docs/screenshot-windows.png}
[ -f "$binary" ] || { echo "screenshot: build the windows preset first" >&2; exit 1; }

"$WINELOADER" "$binary" &
viewer=$!
trap 'kill "$viewer" 2>/dev/null || true' EXIT
window=
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^Tablescope for PPG' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }
wmctrl -i -a "$window"
sleep 1
frame=$(xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
read -r left right top bottom <<< "$extents"
read -r inner_x inner_y <<< "$frame"
import -window root -crop "$((1044 + left + right))x$((350 + top + bottom))+$((inner_x - left))+$((inner_y - top))" +repage "$output"
wmctrl -i -c "$window"
wait "$viewer"
echo "wrote $output"
