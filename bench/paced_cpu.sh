#!/usr/bin/env bash
# CPU share of a paced game in a window under Xvfb with Mesa's software
# rasteriser: 1000 frames (30 s at the game's pace) of the crowded stage
# (stage 1 replaced by it in a copy of the built data), or of a built stage.
#
#   bench/paced_cpu.sh [BUILD_DIR] [crowded|1|2|3]      defaults: build crowded
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
which_stage="${2:-crowded}"
frames=1000
command -v xvfb-run >/dev/null || { echo "paced_cpu: xvfb-run is missing (apt-get install xvfb)" >&2; exit 2; }

data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
cp "$build"/data/* "$data"/ 2>/dev/null || true
stage=1
if [[ "$which_stage" == crowded ]]; then
  cp "$root/tests/data/pinned_run/map1.aod" "$data/map1.aod"
else
  stage="$which_stage"
fi

times="$data/times"
LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1024x768x24" \
  /usr/bin/time -f "%e %U %S" -o "$times" \
  "$build/quarvex" --data "$data" --stage "$stage" --start --frames "$frames" --seed 5 --scale 1 \
  >/dev/null
read -r elapsed user system <"$times"
awk -v e="$elapsed" -v u="$user" -v s="$system" -v n="$frames" 'BEGIN {
  printf "%d frames in %.2f s (%.1f ms a frame): user %.2f s, system %.2f s, %.1f %% of one core\n",
         n, e, 1000 * e / n, u, s, 100 * (u + s) / e }'
