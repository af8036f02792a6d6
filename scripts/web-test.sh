#!/usr/bin/env bash
# Builds the browser page (scripts/web.sh --build) and tests it in Debian's
# headless Chromium, driven by puppeteer-core from npm (no browser is
# downloaded), against the desktop program built from the same sources.
#
#   scripts/web-test.sh [--shots DIR]    (--shots keeps the pictures the tests saw)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
shots=""
if [[ "${1:-}" == "--shots" && -n "${2:-}" ]]; then
  shots="$(mkdir -p "$2" && cd "$2" && pwd)"
elif [[ $# -gt 0 ]]; then
  echo "usage: scripts/web-test.sh [--shots DIR]" >&2
  exit 2
fi

scripts/deps.sh
scripts/web-deps.sh --test
scripts/web.sh --build
echo "== the desktop program to compare with"
cmake --build build --target quarvex

echo "== browser tests"
(cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
QUARVEX_SOURCE_DIR="$root" QUARVEX_SHOTS_DIR="$shots" node --test tests/web/page.test.mjs tests/web/shell.test.mjs tests/web/language.test.mjs tests/web/weight.test.mjs tests/web/network.test.mjs
