#!/usr/bin/env bash
# Runs the layer's fuzzer for a while from the kept seeds: fuzzer, seed folder, work folder, seconds.
# New inputs and any crashing one go to the work folder; the exit code is the fuzzer's.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
