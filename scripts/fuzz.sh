#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while, one
# after the other.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Default 30 s each, every target. New inputs that find new paths are kept in
# build-fuzz/corpus/<name>; a crash, leak, an input that takes longer than
# PER_INPUT_SECONDS (default 5: a reader that slows down on some input is a
# finding, as it would hang the game) or running out of memory writes the
# input to build-fuzz/crashes/<name>-* and fails the script.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-30}"
per_input="${PER_INPUT_SECONDS:-5}"
shift || true
"$root/scripts/deps.sh" --test
cmake --preset fuzz >/dev/null
targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(sed -n 's/^ *quarvex_fuzz_target(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt)
fi
cmake --build build-fuzz -j2 --target "${targets[@]}"
mkdir -p build-fuzz/crashes build-fuzz/logs
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=()
for target in "${targets[@]}"; do
  name="${target#fuzz_}"
  work="build-fuzz/corpus/$name"
  log="build-fuzz/logs/$name.log"
  mkdir -p "$work"
  dict=()
  [[ -f "fuzz/dict/$name.dict" ]] && dict=("-dict=fuzz/dict/$name.dict")
  echo "== $target for ${seconds}s"
  status=0
  "build-fuzz/$target" "$work" "fuzz/corpus/$name" -max_total_time="$seconds" -timeout="$per_input" \
    -artifact_prefix="build-fuzz/crashes/$name-" -print_final_stats=1 "${dict[@]}" \
    >"$log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added)' \
    "$log" || true
  if ((status != 0)); then
    grep -E '^(==|SUMMARY|artifact_prefix|Test unit written|frame [0-9]+:)' "$log" | head -20 || true
    echo "$target failed (exit $status); full output in $log"
    failed+=("$target")
  fi
done
if ((${#failed[@]} != 0)); then
  echo "fuzz failures: ${failed[*]}"
  exit 1
fi
