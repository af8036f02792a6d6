#!/usr/bin/env bash
# Plays random four-side stages and the built stages in the game and in the
# independent model of its rules (../shared/refmodel, beside the checkout),
# and fails unless every run agrees to the bit. Needs the normal build
# (scripts/test.sh makes it). Without the model beside the checkout it says
# so and does nothing.
#
#   scripts/model-check.sh [compare.py's options instead of the default runs]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
model="$root/../shared/refmodel/compare.py"
if [[ ! -f "$model" ]]; then
  echo "model-check: no independent model at ../shared/refmodel beside this checkout; skipped"
  exit 0
fi
if (($# == 0)); then
  set -- --scenarios 24 --frames 600 --stages build/data --stage-runs 3 --stage-frames 3000
  expected="27 passed, 0 failed"
else
  expected=""
fi
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
python3 "$model" --game build/quarvex "$@" | tee "$log" | grep -v '^agree' || true
last="$(tail -n 1 "$log")"
echo "model-check: $last"
if [[ -n "$expected" && "$last" != "$expected" ]]; then
  echo "model-check: expected '$expected'" >&2
  exit 1
fi
if [[ -z "$expected" && ! "$last" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
  exit 1
fi
