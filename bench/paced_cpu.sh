#!/usr/bin/env bash
# CPU share of a paced game in a window under Xvfb with Mesa's software
# rasteriser: 1000 frames (30 s at the game's pace) of the crowded stage
# (stage 1 replaced by it in a copy of the built data), or of a built stage.
# On a shared machine one run can be off by a point or two, so several runs
# are made and the median is reported. The game's sound plays when SDL finds a
# sound device; on a machine without a sound card SDL_AUDIODRIVER=dummy stands in
# for one (the mixer then runs in real time and plays into nothing).
#
#   bench/paced_cpu.sh [BUILD_DIR] [crowded|1|2|3] [RUNS]   defaults: build crowded 1
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
which_stage="${2:-crowded}"
runs="${3:-1}"
frames=1000
command -v xvfb-run >/dev/null || { echo "paced_cpu: xvfb-run is missing (apt-get install xvfb)" >&2; exit 2; }

data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
cp -r "$build"/data/. "$data"/ 2>/dev/null || true
stage=1
if [[ "$which_stage" == crowded ]]; then
  cp "$root/tests/data/pinned_run/map1.aod" "$data/map1.aod"
else
  stage="$which_stage"
fi

times="$data/times"
shares=()
for ((run = 1; run <= runs; ++run)); do
  LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1024x768x24" \
    /usr/bin/time -f "%e %U %S" -o "$times" \
    "$build/quarvex" --data "$data" --stage "$stage" --start --frames "$frames" --seed 5 --scale 1 \
    >/dev/null
  read -r elapsed user system <"$times"
  share=$(awk -v e="$elapsed" -v u="$user" -v s="$system" 'BEGIN { printf "%.1f", 100 * (u + s) / e }')
  shares+=("$share")
  awk -v e="$elapsed" -v u="$user" -v s="$system" -v n="$frames" -v p="$share" 'BEGIN {
    printf "%d frames in %.2f s (%.1f ms a frame): user %.2f s, system %.2f s, %s %% of one core\n",
           n, e, 1000 * e / n, u, s, p }'
done
if ((runs > 1)); then
  printf '%s\n' "${shares[@]}" | sort -n | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "median of %d runs: %.1f %% of one core (%.1f to %.1f)\n", NR, m, v[1], v[NR] }'
fi
