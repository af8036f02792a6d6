#!/usr/bin/env bash
# Builds the game for the browser into build-web/ (index.html, quarvex.js,
# quarvex.wasm, quarvex.data, data/ for what the page fetches later, and
# each file's compressed forms) and serves it at http://127.0.0.1:8080/
# with quarvex-serve, which answers as a game server serving the page does.
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

echo "== baking the data and the page's server (desktop build)"
cmake --preset default >/dev/null
cmake --build build --target quarvex_data quarvex_catalogues quarvex-serve
echo "== building the page"
cmake --preset web >/dev/null
cmake --build --preset web

if ((serve)); then
  echo "quarvex in a browser: http://127.0.0.1:8080/"
  exec build/quarvex-serve --address 127.0.0.1 --port 8080 build-web
fi
