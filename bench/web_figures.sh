#!/usr/bin/env bash
# Figures of the browser build (scripts/web.sh --build first):
#  - the size of the .wasm, the .js and the preloaded data, as served and gzipped;
#  - the time to the first frame from a warm local server, in headless Chromium;
#  - frames per second of the crowded four-side stage in headless Chromium
#    (software WebGL), unpaced, drawing every frame;
#  - the simulation's speed in WebAssembly against native: the desktop program
#    built for node (build-web/quarvex-node.js) and build/quarvex, both
#    headless on the crowded stage, best of three.
#
#   bench/web_figures.sh [FRAMES]      default 24000 frames (the recorded battle's length) for the ratio
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
frames="${1:-24000}"
web="$root/build-web"
for f in "$web/quarvex.wasm" "$web/quarvex-node.js" "$root/build/quarvex" "$root/build/quarvex-serve"; do
  [[ -e "$f" ]] || { echo "web_figures: $f is missing: run scripts/web.sh --build" >&2; exit 2; }
done

echo "== sizes"
for f in quarvex.wasm quarvex.js quarvex.data index.html page.js; do
  bytes=$(stat -c %s "$web/$f")
  gz=$(gzip -9 -c "$web/$f" | wc -c)
  awk -v f="$f" -v b="$bytes" -v g="$gz" \
    'BEGIN { printf "%-14s %9.2f MB  (%7.2f MB gzipped)\n", f, b / 1e6, g / 1e6 }'
done

echo "== headless Chromium"
[[ -d "$root/tests/web/node_modules" ]] ||
  (cd "$root/tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
QUARVEX_SOURCE_DIR="$root" node "$root/bench/web_figures.mjs"

echo "== simulation speed, crowded stage, $frames frames headless (best of 3)"
crowded="$root/tests/data/pinned_run"
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" --data "$crowded" --stage 1 --headless --start --frames "$frames" --seed 5 >/dev/null
    end=$(date +%s.%N)
    best=$(awk -v b="$best" -v s="$start" -v e="$end" \
      'BEGIN { t = e - s; if (b == "" || t < b) print t; else print b }')
  done
  echo "$best"
}
native=$(best_of_three "$root/build/quarvex")
wasm=$(best_of_three node --no-experimental-fetch "$web/quarvex-node.js")
awk -v n="$native" -v w="$wasm" -v f="$frames" 'BEGIN {
  printf "native      %7.3f s  %8.0f frames/s\n", n, f / n
  printf "wasm (node) %7.3f s  %8.0f frames/s\n", w, f / w
  printf "WebAssembly runs the simulation at %.2f of native speed\n", n / w
}'
