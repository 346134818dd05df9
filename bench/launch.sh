#!/usr/bin/env bash
# The launch benchmark: on a private Xvfb with openbox, launches Tablescope, the floor program
# (bench/launch_floor.cpp) and the peers that are installed (xmessage, feh, xli) in turn, round
# after round, and prints for each the median time from launch to its window mapped and to the
# page's first pixels on the screen, and the median peak resident memory, each also as a ratio to
# the floor program.
#
#   bench/launch.sh [ROUNDS [TABLESCOPE...]]
#
# ROUNDS defaults to 15; the release build must be there (cmake --build --preset release). Other
# Tablescope binaries named after ROUNDS (an earlier build, say) are launched too, under their
# paths.
#
# BUILD_DIR chooses another build folder. The page's first pixels are seen when a grey divider
# pixel of the picture shows at (138, 305) of the window; for xmessage, when its text shows.
set -euo pipefail

project=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/rounds.sh
source "$project/bench/rounds.sh"
bin=${BUILD_DIR:-$project/build/release}/bin
rounds=${1:-15}
shift $(($# > 0 ? 1 : 0))
probe=$bin/tablescope_launch_probe
for program in "$bin/tablescope" "$bin/tablescope_launch_floor" "$probe"; do
  if [ ! -x "$program" ]; then
    echo "launch.sh: $program is missing; build the release preset first" >&2
    exit 1
  fi
done
for tool in Xvfb openbox xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "launch.sh: $tool is missing; scripts/install-deps.sh installs it" >&2
    exit 1
  fi
done

work=$(mktemp -d)
server=0
manager=0
cleanup() {
  if [ "$manager" -ne 0 ]; then kill "$manager" 2>/dev/null || true; fi
  if [ "$server" -ne 0 ]; then kill "$server" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "launch.sh: Xvfb did not start: $(head -n 1 "$work/xvfb.log")" >&2
  exit 1
fi
export DISPLAY=:$(head -n 1 "$work/display")
openbox >/dev/null 2>&1 &
manager=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

# name, the area watched (x y width height colour), the command
programs=(
  "tablescope|138 305 1 1 646464|$bin/tablescope"
  "floor|138 305 1 1 646464|$bin/tablescope_launch_floor"
)
for other in "$@"; do
  programs+=("$other|138 305 1 1 646464|$other")
done
if command -v xmessage >/dev/null; then
  programs+=("xmessage|0 0 400 100 646464|xmessage -geometry 1044x350 -fg #646464 -bg #f0f0f0 000h 768d 001h 832d")
fi
# feh and xli show a 1044x350 picture with the divider pixel where Tablescope has it.
if { command -v feh || command -v xli; } >/dev/null && command -v convert >/dev/null; then
  convert -size 1044x350 xc:'#f0f0f0' -fill black -draw 'rectangle 10,10 1033,309' \
    -fill '#646464' -draw 'line 138,10 138,309' "$work/page.png"
  command -v feh >/dev/null && programs+=("feh|138 305 1 1 646464|feh --no-menus $work/page.png")
  command -v xli >/dev/null && programs+=("xli|138 305 1 1 646464|xli -quiet $work/page.png")
fi

run() {
  local name=${1%%|*}
  local rest=${1#*|}
  local area=${rest%%|*}
  local command=${rest#*|}
  local result
  # shellcheck disable=SC2086  # the area and the command are split into words on purpose
  if result=$("$probe" $area -- $command 2>"$work/errors"); then
    echo "$name $result"
  else
    echo "launch.sh: $name: $(tail -n 1 "$work/errors")" >&2
  fi
  sleep 0.05
}

interleaved_rounds "$rounds" "${programs[@]}" >"$work/results"

echo "Launch on Xvfb with openbox, medians of $rounds rounds:"
awk "$median_awk"'
  !($1 in seen) { seen[$1] = 1; order[++names] = $1 }
  { mapped[$1] = mapped[$1] " " $2; painted[$1] = painted[$1] " " $3; rss[$1] = rss[$1] " " $4 }
  END {
    floor_page = median(painted["floor"]); floor_rss = median(rss["floor"])
    printf "%-24s %11s %9s %11s %13s %10s\n", "program", "mapped ms", "page ms", "page/floor", "peak RSS MB", "RSS/floor"
    for (k = 1; k <= names; k++) {
      name = order[k]; page = median(painted[name]); peak = median(rss[name])
      printf "%-24s %11.1f %9.1f %10.2fx %13.2f %9.2fx\n", name, median(mapped[name]), page,
             page / floor_page, peak / 1024, peak / floor_rss
    }
  }' "$work/results"
