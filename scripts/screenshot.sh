#!/usr/bin/env bash
# Takes the README's screenshot: the viewer's window, frame and all, on a private Xvfb with
# openbox, written to docs/screenshot.png. Needs a release build.
set -euo pipefail
cd "$(dirname "$0")/.."

binary=build/release/bin/tablescope
output=${1:-docs/screenshot.png}
[ -x "$binary" ] || { echo "screenshot: build the release preset first" >&2; exit 1; }

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x480x24 -nolisten tcp 2>/dev/null)
read -r number <&3
export DISPLAY=":$number"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill "$viewer" "$wm" 2>/dev/null; pkill -f "Xvfb -displayfd 1 -screen 0 1280x480x24" || true' EXIT
sleep 1
"$binary" &
viewer=$!
for _ in $(seq 50); do
  window=$(xdotool search --sync --onlyvisible --pid "$viewer" 2>/dev/null | head -n 1) && break
  sleep 0.1
done
# The window as it opens, on the first page, active.
wmctrl -i -a "$window"
sleep 0.5
frame=$(xwininfo -id "$window" -frame | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
read -r left right top bottom <<< "$extents"
read -r inner_x inner_y <<< "$frame"
import -window root -crop "$((1044 + left + right))x$((350 + top + bottom))+$((inner_x - left))+$((inner_y - top))" +repage "$output"
echo "wrote $output"
