#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Default 30 s each, every target. New inputs that find new paths are kept in
# build-fuzz/corpus/<target>; crashes are written to build-fuzz/crashes/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-30}"
shift || true
"$root/scripts/deps.sh" --test
cmake --preset fuzz >/dev/null
targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(sed -n 's/^quarvex_fuzz_target(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt)
fi
cmake --build build-fuzz --target "${targets[@]}"
mkdir -p build-fuzz/crashes
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
for target in "${targets[@]}"; do
  name="${target#fuzz_}"
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  dict=()
  [[ -f "fuzz/dict/$name.dict" ]] && dict=("-dict=fuzz/dict/$name.dict")
  echo "== $target for ${seconds}s"
  "build-fuzz/$target" "$work" "fuzz/corpus/$name" -max_total_time="$seconds" \
    -artifact_prefix="build-fuzz/crashes/$name-" -print_final_stats=1 "${dict[@]}" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==|SUMMARY|Done)' || true
  if ls build-fuzz/crashes/"$name"-* >/dev/null 2>&1; then
    echo "$target: crash found, see build-fuzz/crashes/"
    exit 1
  fi
done
