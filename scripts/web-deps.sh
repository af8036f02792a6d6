#!/usr/bin/env bash
# The toolchain and the libraries of the browser build: Debian's emscripten,
# and SDL2, FreeType, SDL2_ttf and SDL2_mixer built as static WebAssembly
# libraries from Debian's own source packages (emscripten's ports would be
# downloaded from outside, which cannot be done here). The sources and the
# built libraries are cached in build-web/deps/ (and the libraries in the
# user's cache too); a second run with the cache built does nothing.
#
#   scripts/web-deps.sh [--test]     (--test adds what the browser tests need)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="$root/build-web/deps"
prefix="$deps/prefix"

# Source package, pinned upstream version.
pinned=(
  "libsdl2 2.26.5"
  "freetype 2.12.1"
  "libsdl2-ttf 2.20.1"
  "libsdl2-mixer 2.6.2"
)
# Raise the recipe number when the build options below change: the cache
# is then built again.
recipe=1
stamp="$prefix/quarvex-deps.stamp"
stamp_text="$(printf '%s\n' "${pinned[@]}" "recipe $recipe")"

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi

install_missing() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$p")
    fi
  done
  ((${#missing[@]} == 0)) && return 0
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

packages=(emscripten nodejs python3 python3-fonttools fonts-ipafont-gothic fonts-dejavu-core dpkg-dev cmake
  ninja-build libglm-dev libstb-dev)
if [[ "${1:-}" == "--test" ]]; then
  packages+=(chromium)
  # A machine whose node comes from elsewhere has npm with it.
  command -v npm >/dev/null || packages+=(npm)
fi
install_missing "${packages[@]}"

# emcc's optimising passes are node scripts that need Debian's node modules.
export NODE_PATH=/usr/share/nodejs

# Built libraries are also kept in the user's cache, keyed by the pins and
# the recipe, so another clone on the same machine (CI's among them) copies
# them instead of building them again.
cache="${QUARVEX_WEB_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quarvex/web-deps}"
cached="$cache/$(printf '%s\n' "$stamp_text" | sha256sum | cut -c1-16)"
keep_in_cache() {
  [[ -f "$cached/quarvex-deps.stamp" ]] && return 0
  mkdir -p "$cached.tmp" && cp -a "$prefix/." "$cached.tmp/" && mv "$cached.tmp" "$cached" ||
    echo "web-deps: could not keep the libraries in $cache (going on without)" >&2
}

if [[ -f "$stamp" && "$(cat "$stamp")" == "$stamp_text" ]]; then
  keep_in_cache
  exit 0
fi
if [[ -f "$cached/quarvex-deps.stamp" && "$(cat "$cached/quarvex-deps.stamp")" == "$stamp_text" ]]; then
  echo "== WebAssembly libraries from $cached"
  mkdir -p "$prefix"
  cp -a "$cached/." "$prefix/"
  exit 0
fi

# apt-get source needs deb-src lines; a machine set up from Debian's image
# has only the binary ones. They are added as a copy of the binary list.
have_deb_src() {
  grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/
}
if ! have_deb_src; then
  list=/etc/apt/sources.list.d/debian.sources
  if [[ ! -f "$list" ]]; then
    echo "web-deps: no deb-src lines and no $list to copy them from;" \
      "add deb-src lines for Debian 12 to /etc/apt/sources.list" >&2
    exit 1
  fi
  echo "Adding Debian's source lines (/etc/apt/sources.list.d/quarvex-deb-src.sources)"
  sed 's/^Types:.*/Types: deb-src/' "$list" |
    "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/quarvex-deb-src.sources >/dev/null
  "${sudo_cmd[@]}" apt-get update -qq
fi

mkdir -p "$deps/src" "$deps/build"
# Unpacks a source package into deps/src/<package> and checks its upstream
# version against the pin.
fetch_source() {
  local package="$1" want="$2" dir="$deps/src/$1"
  if [[ ! -f "$dir/.version" ]]; then
    rm -rf "$dir" "$dir.tmp"
    mkdir -p "$dir.tmp"
    echo "== apt-get source $package"
    # (apt warns that it downloads as root; only a failure is worth showing.)
    (cd "$dir.tmp" && apt-get source -qq "$package" >"$dir.log" 2>&1) || {
      cat "$dir.log" >&2
      echo "web-deps: apt-get source $package failed" >&2
      exit 1
    }
    local dsc
    dsc="$(ls "$dir.tmp"/*.dsc)"
    sed -n 's/^Version: //p' "$dsc" >"$dir.tmp/.version"
    local tree
    tree="$(find "$dir.tmp" -mindepth 1 -maxdepth 1 -type d)"
    mv "$tree" "$dir"
    mv "$dir.tmp/.version" "$dir/.version"
    rm -rf "$dir.tmp"
  fi
  local version upstream
  version="$(cat "$dir/.version")"
  # Debian's version: [epoch:]upstream[+dfsg]-revision
  upstream="${version#*:}"
  upstream="${upstream%%-*}"
  upstream="${upstream%%+*}"
  if [[ "$upstream" != "$want" ]]; then
    echo "web-deps: Debian's source of $package is $version, but the browser build is" \
      "pinned to $want; update the pins in ${BASH_SOURCE[0]} after checking the new version" >&2
    exit 1
  fi
}

# Configures, builds and installs one library into the prefix, unless the
# prefix has it from the same source and recipe, and nothing before it in
# the chain was built again.
chain_rebuilt=0
build_library() {
  local package="$1"
  shift
  local built="$prefix/.built-$package"
  local want_built
  want_built="$(cat "$deps/src/$package/.version") recipe $recipe"
  if ((!chain_rebuilt)) && [[ -f "$built" && "$(cat "$built")" == "$want_built" ]]; then
    return 0
  fi
  chain_rebuilt=1
  echo "== building $package for WebAssembly"
  rm -rf "$deps/build/$package" "$built"
  emcmake cmake -S "$deps/src/$package" -B "$deps/build/$package" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$deps/build/$package.log" 2>&1 ||
    {
      tail -30 "$deps/build/$package.log" >&2
      echo "web-deps: configuring $package failed; the whole log is $deps/build/$package.log" >&2
      exit 1
    }
  cmake --build "$deps/build/$package" --target install >>"$deps/build/$package.log" 2>&1 ||
    {
      tail -30 "$deps/build/$package.log" >&2
      echo "web-deps: building $package failed; the whole log is $deps/build/$package.log" >&2
      exit 1
    }
  printf '%s\n' "$want_built" >"$built"
}

for entry in "${pinned[@]}"; do
  fetch_source $entry
done

mkdir -p "$prefix"
# Emscripten's toolchain looks for packages in its own sysroot only: the
# prefix is added, and SDL2 is named outright so that the stub config in the
# sysroot (which would switch on the downloading SDL2 port) is not used.
find_prefix=(-DCMAKE_FIND_ROOT_PATH="$prefix" -DSDL2_DIR="$prefix/lib/cmake/SDL2")
build_library libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF \
  -DSDL_PTHREADS=OFF
build_library freetype -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
  -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
build_library libsdl2-ttf "${find_prefix[@]}" -DBUILD_SHARED_LIBS=OFF -DSDL2TTF_SAMPLES=OFF \
  -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF
# Sound is WAV only.
build_library libsdl2-mixer "${find_prefix[@]}" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF \
  -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
  -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_WAVE=ON

for lib in libSDL2.a libfreetype.a libSDL2_ttf.a libSDL2_mixer.a; do
  if [[ ! -f "$prefix/lib/$lib" ]]; then
    echo "web-deps: $lib was not installed into $prefix/lib" >&2
    exit 1
  fi
done
printf '%s\n' "$stamp_text" >"$stamp"
keep_in_cache
echo "== WebAssembly libraries ready in $prefix"
