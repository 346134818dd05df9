#!/usr/bin/env bash
# Time from launch until Tablescope's window is viewable, under each window manager named
# (default: openbox fluxbox icewm none), each on a private Xvfb. Prints the median and the
# slowest of N launches (default 15) per window manager. The aim is well under 300 ms everywhere:
# start-up never waits on a window manager.
# Usage: bench/launch_under_window_managers.sh [BINARY] [ROUNDS] [WM...]
set -euo pipefail

binary=${1:-build/release/bin/tablescope}
rounds=${2:-15}
shift $(( $# > 2 ? 2 : $# ))
managers=("$@")
[ ${#managers[@]} -gt 0 ] || managers=(openbox fluxbox icewm none)
title="Tablescope for PPG Wave 2.2 Eeproms 64 & 68"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

viewable() {
  xwininfo -name "$title" 2>/dev/null | grep -q 'Map State: IsViewable'
}

for manager in "${managers[@]}"; do
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  server=$!
  read -r -u "$fd" number
  exec {fd}>&-
  export DISPLAY=":$number"
  wm=""
  if [ "$manager" != none ]; then
    HOME=$home "$manager" >/dev/null 2>&1 &
    wm=$!
    # Running once its supporting window is announced, then a moment to settle.
    for _ in $(seq 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
      sleep 0.05
    done
    sleep 1
  fi
  times=()
  for _ in $(seq "$rounds"); do
    start=$(now_ms)
    "$binary" &
    viewer=$!
    until viewable; do sleep 0.002; done
    times+=($(( $(now_ms) - start )))
    kill "$viewer"
    wait "$viewer" 2>/dev/null || true
    sleep 0.2
  done
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  printf '%-8s median %4d ms   slowest %4d ms   (%d launches, polled with xwininfo)\n' \
    "$manager" "${sorted[$(( rounds / 2 ))]}" "${sorted[$(( rounds - 1 ))]}" "$rounds"
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
done
