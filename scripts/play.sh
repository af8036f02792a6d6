#!/usr/bin/env bash
# Builds everything (the game, its tools and its data) and starts the game.
# Extra arguments go to the game, e.g. scripts/play.sh --stage 2 --side 1
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
cmake --preset default -S "$root" >/dev/null
cmake --build "$root/build"
exec "$root/build/quarvex" "$@"
