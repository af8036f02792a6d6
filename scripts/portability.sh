#!/usr/bin/env bash
# The same keys must give the same World on every machine. Builds the
# headless program six ways (QUARVEX_HEADLESS_ONLY, one build-port-<target>
# folder each), plays the same recorded battle on each (the pinned run: the
# crowded four-side stage, 24,000 frames of random keys) and a random battle
# (the generator's stage for seed 7, watched for 6,000 frames), and prints one
# "target: hash hash" line per build. Exits 1 when a build or a run fails or
# any two builds' hashes differ.
#
#   scripts/portability.sh [TARGET...]
#
# Targets: gcc-release gcc-debug clang-release i386-sse2 aarch64 wasm (default: all).
# i386 runs natively where the kernel can, else under qemu-i386-static;
# aarch64 runs under qemu-aarch64-static; WebAssembly under node.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/deps.sh" --portability

all_targets=(gcc-release gcc-debug clang-release i386-sse2 aarch64 wasm)
targets=("$@")
((${#targets[@]} > 0)) || targets=("${all_targets[@]}")

battle=(--data tests/data/pinned_run --headless --start --side 1 --frames 24000
        --input tests/data/pinned_run/keys.txt --hash)
random_battle=(--headless --random-stage 7 --stage 2 --seed 7
               --spectate --frames 6000 --hash)
# emcc at -O1 and above needs Debian's node modules.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

# Configures and builds the headless program in build-port-<target>.
build() {
  local target="$1"
  local dir="build-port-$target"
  local configure=(cmake -S "$root" -B "$dir" -G Ninja -DQUARVEX_HEADLESS_ONLY=ON)
  case "$target" in
    gcc-release) configure+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc
                             -DCMAKE_CXX_COMPILER=g++) ;;
    gcc-debug) configure+=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=gcc
                           -DCMAKE_CXX_COMPILER=g++) ;;
    clang-release) configure+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang
                               -DCMAKE_CXX_COMPILER=clang++) ;;
    i386-sse2) configure+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Linux
                           -DCMAKE_SYSTEM_PROCESSOR=i686
                           -DCMAKE_C_COMPILER=i686-linux-gnu-gcc
                           -DCMAKE_CXX_COMPILER=i686-linux-gnu-g++
                           "-DCMAKE_C_FLAGS=-msse2 -mfpmath=sse"
                           "-DCMAKE_CXX_FLAGS=-msse2 -mfpmath=sse"
                           -DCMAKE_EXE_LINKER_FLAGS=-static) ;;
    aarch64) configure+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Linux
                         -DCMAKE_SYSTEM_PROCESSOR=aarch64
                         -DCMAKE_C_COMPILER=aarch64-linux-gnu-gcc
                         -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++
                         -DCMAKE_EXE_LINKER_FLAGS=-static) ;;
    # The real file system, the exit status passed on, memory as needed.
    wasm) configure=(emcmake "${configure[@]}" -DCMAKE_BUILD_TYPE=Release
                     "-DCMAKE_EXE_LINKER_FLAGS=-sNODERAWFS=1 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1") ;;
    *) echo "portability: unknown target '$target' (known: ${all_targets[*]})" >&2; return 2 ;;
  esac
  "${configure[@]}" && cmake --build "$dir" --target quarvex
}

# Prints the command that runs the program built for the target.
runner() {
  local dir="build-port-$1"
  case "$1" in
    i386-sse2)
      if "$dir/quarvex" --help >/dev/null 2>&1; then
        echo "$dir/quarvex"
      else
        echo "qemu-i386-static $dir/quarvex"
      fi ;;
    aarch64) echo "qemu-aarch64-static $dir/quarvex" ;;
    # node 20 fails on emscripten's fetch without this flag.
    wasm) echo "node --no-experimental-fetch $dir/quarvex.js" ;;
    *) echo "$dir/quarvex" ;;
  esac
}

declare -A hashes=()
failed=0
for target in "${targets[@]}"; do
  mkdir -p "build-port-$target"
  log="build-port-$target/portability.log"
  echo "== $target: building"
  if ! build "$target" >"$log" 2>&1; then
    tail -20 "$log"
    echo "$target: build failed (log in $log)"
    failed=1
    continue
  fi
  start=$SECONDS
  # shellcheck disable=SC2046 # the runner is a command and its arguments
  if ! out="$($(runner "$target") "${battle[@]}" 2>>"$log")" ||
    ! random_out="$($(runner "$target") "${random_battle[@]}" 2>>"$log")"; then
    echo "$target: the battle failed (log in $log)"
    failed=1
    continue
  fi
  hashes[$target]="$(sed -n 's/^hash: //p' <<<"$out" | tail -1) $(sed -n 's/^hash: //p' <<<"$random_out" | tail -1)"
  echo "== $target: $((SECONDS - start)) s"
done

echo "== hashes"
distinct=()
for target in "${targets[@]}"; do
  [[ -n "${hashes[$target]:-}" ]] || continue
  echo "$target: ${hashes[$target]}"
  distinct+=("${hashes[$target]}")
done
if (($(printf '%s\n' "${distinct[@]}" | sort -u | wc -l) > 1)); then
  echo "portability: the builds disagree" >&2
  exit 1
fi
if ((failed)); then
  echo "portability: some builds did not give a hash" >&2
  exit 1
fi
echo "portability: ${#distinct[@]} builds, one hash"
