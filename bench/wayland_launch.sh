#!/usr/bin/env bash
# The Wayland launch benchmark: on a private headless sway (run as the user nobody when started as
# root, since sway refuses root), launches Tablescope and the Wayland floor program
# (bench/wayland_launch_floor.c) in turn, round after round, and prints for each the median time
# from launch to the page's first pixels on the screen and the median peak resident memory, with
# their ratios to the floor program's.
#
#   bench/wayland_launch.sh [ROUNDS]
#
# ROUNDS defaults to 15; the release build must be there. Both windows float centred on a
# 1920x1080 output; the page is seen when a grey divider pixel of the picture shows at (138, 305)
# of the window, which grim reads back as often as it can. Each program is closed as a user
# closes it, which GNU time waits for to tell its peak memory.
set -euo pipefail

project=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/rounds.sh
source "$project/bench/rounds.sh"
bin=${BUILD_DIR:-$project/build/release}/bin
rounds=${1:-15}
for program in "$bin/tablescope" "$bin/tablescope_wayland_launch_floor"; do
  if [ ! -x "$program" ]; then
    echo "wayland_launch.sh: $program is missing; build the release preset first" >&2
    exit 1
  fi
done
for tool in sway swaymsg grim /usr/bin/time; do
  if ! command -v "$tool" >/dev/null; then
    echo "wayland_launch.sh: $tool is missing; scripts/install-deps.sh installs it" >&2
    exit 1
  fi
done

work=$(mktemp -d)
user=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody:nogroup "$work"
  user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
compositor=0
cleanup() {
  if [ "$compositor" -ne 0 ]; then kill "$compositor" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

printf 'output HEADLESS-1 resolution 1920x1080 scale 1\ndefault_floating_border none\nxwayland disable\n' \
  >"$work/sway.conf"
# Runs a command as the session's user, with the session's sockets once there are any (sway binds
# its own where SWAYSOCK is set, even empty).
as_user() {
  local sockets=()
  if [ -n "${socket:-}" ]; then sockets=(WAYLAND_DISPLAY="$socket" SWAYSOCK="$sway_socket"); fi
  "${user[@]}" env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work" "${sockets[@]}" "$@"
}
as_user env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/sway.conf" \
  >"$work/sway.log" 2>&1 &
compositor=$!
for _ in $(seq 100); do
  socket=$(find "$work" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -printf '%f\n' | head -n 1)
  sway_socket=$(find "$work" -maxdepth 1 -name 'sway-ipc.*' | head -n 1)
  [ -n "$socket" ] && [ -n "$sway_socket" ] && break
  sleep 0.05
done
if [ -z "$socket" ]; then
  echo "wayland_launch.sh: sway did not start: $(tail -n 1 "$work/sway.log")" >&2
  exit 1
fi

# The divider pixel: the window's inner area centred, the picture at (10, 10) in it.
watched="$(((1920 - 1044) / 2 + 138)),$(((1080 - 350) / 2 + 305)) 1x1"
pixel() { as_user grim -g "$watched" -t ppm - 2>/dev/null | tail -c 3 | od -An -tx1 | tr -d ' \n'; }

# ENTRY is "name|program".
run() {
  local name=${1%%|*} program=${1#*|}
  local start now
  start=$(date +%s%N)
  as_user /usr/bin/time -f %M -o "$work/peak" "$program" >/dev/null 2>&1 &
  local launched=$!
  until [ "$(pixel)" = 646464 ]; do
    now=$(date +%s%N)
    if [ $(((now - start) / 1000000)) -gt 10000 ]; then
      echo "wayland_launch.sh: $name showed no page in 10 s" >&2
      kill "$launched" 2>/dev/null || true
      return
    fi
  done
  now=$(date +%s%N)
  as_user swaymsg kill >/dev/null
  wait "$launched" || true
  echo "$name $(((now - start) / 1000)) $(tail -n 1 "$work/peak")"
  sleep 0.05
}

programs=("tablescope|$bin/tablescope" "floor|$bin/tablescope_wayland_launch_floor")
interleaved_rounds "$rounds" "${programs[@]}" >"$work/results"

echo "Launch on headless sway, medians of $rounds rounds (the page seen through grim):"
awk "$median_awk"'
  !($1 in seen) { seen[$1] = 1; order[++names] = $1 }
  { shown[$1] = shown[$1] " " $2; rss[$1] = rss[$1] " " $3 }
  END {
    floor_page = median(shown["floor"]); floor_rss = median(rss["floor"])
    printf "%-12s %9s %11s %13s %10s\n", "program", "page ms", "page/floor", "peak RSS MB", "RSS/floor"
    for (k = 1; k <= names; k++) {
      name = order[k]; page = median(shown[name]); peak = median(rss[name])
      printf "%-12s %9.1f %10.2fx %13.2f %9.2fx\n", name, page / 1000, page / floor_page, peak / 1024,
             peak / floor_rss
    }
  }' "$work/results"
