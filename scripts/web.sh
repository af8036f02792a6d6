#!/usr/bin/env bash
# Builds the game for the browser into build-web/ (index.html, quarvex.js,
# quarvex.wasm, quarvex.data) and serves it at http://127.0.0.1:8080/.
#
#   scripts/web.sh              build, then serve until Ctrl+C
#   scripts/web.sh --build      build only
#
# The first run also builds the libraries for WebAssembly from Debian's
# sources (scripts/web-deps.sh), which takes a few minutes; later runs reuse
# them. The data is baked by the desktop build (build/data).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
serve=1
case "${1:-}" in
  "") ;;
  --build) serve=0 ;;
  *)
    echo "usage: scripts/web.sh [--build]" >&2
    exit 2
    ;;
esac

scripts/deps.sh
scripts/web-deps.sh
export NODE_PATH=/usr/share/nodejs

echo "== baking the data (desktop build)"
cmake --preset default >/dev/null
cmake --build build --target quarvex_data
echo "== building the page"
cmake --preset web >/dev/null
cmake --build --preset web

if ((serve)); then
  echo "quarvex in a browser: http://127.0.0.1:8080/"
  exec python3 -m http.server 8080 --bind 127.0.0.1 --directory build-web
fi
