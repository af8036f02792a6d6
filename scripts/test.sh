#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the whole
# suite again under AddressSanitizer and UBSan; last, builds the Debian
# package in Release and checks it (lintian, and the install test on its files).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/deps.sh" --test
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for preset in default asan; do
  echo "== build and test: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
echo "== package and check it"
"$root/scripts/package.sh"
