#!/usr/bin/env bash
# Frames per second of the headless game: the crowded four-side stage (every
# unit slot in use), then every stage the build made (build/data/map*.aod).
# Each run starts the stage in its first frame and plays no keys.
#
#   bench/throughput.sh [BUILD_DIR] [FRAMES]      defaults: build 20000
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
frames="${2:-20000}"
game="$build/quarvex"
[[ -x "$game" ]] || { echo "throughput: $game not built" >&2; exit 2; }

# Times one run and prints its frames per second (best of three, so a busy
# moment on a shared machine does not decide the figure).
measure() {
  local data="$1" stage="$2" count="$3" best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$game" --data "$data" --stage "$stage" --headless --start --frames "$count" --seed 5 >/dev/null
    end=$(date +%s.%N)
    best=$(awk -v b="$best" -v s="$start" -v e="$end" \
      'BEGIN { t = e - s; if (b == "" || t < b) print t; else print b }')
  done
  awk -v n="$count" -v t="$best" 'BEGIN { printf "%8d frames  %7.3f s  %8.0f frames/s\n", n, t, n / t }'
}

crowded="$root/tests/data/pinned_run"
echo "crowded stage, first 1000 frames (all 500 slots in play):"
measure "$crowded" 1 1000
echo "crowded stage, $frames frames (the battle thins out as units fall):"
measure "$crowded" 1 "$frames"
shopt -s nullglob
for stage_file in "$build"/data/map*.aod; do
  name="$(basename "$stage_file" .aod)"
  echo "built stage $name, $frames frames:"
  measure "$build/data" "${name#map}" "$frames"
done
