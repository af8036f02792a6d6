#!/usr/bin/env bash
# Installs the Debian packages the build, the game, the tests and the game's
# own package need, when they are missing. Safe to run again: installs nothing when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libepoxy-dev libglm-dev libstb-dev libfontconfig-dev
  libtomlplusplus-dev libboost-dev libssl-dev
  librsvg2-dev librsvg2-bin fonts-ipafont-gothic fonts-dejavu-core xfonts-base gettext
  xvfb xauth xdotool libgl1-mesa-dri libegl-mesa0 python3
  gzip brotli optipng
)
# --test: the tests, the fuzzers and the checks of the installed files and the
# Debian package; --package: those checks alone; --portability: the cross
# builds of scripts/portability.sh and what runs them.
package_tools=(desktop-file-utils appstream dpkg-dev lintian man-db)
for group in "$@"; do
  case "$group" in
    --test) packages+=(clang libclang-rt-14-dev musl-tools openssl "${package_tools[@]}") ;;
    --package) packages+=("${package_tools[@]}") ;;
    --portability) packages+=(clang g++-i686-linux-gnu g++-aarch64-linux-gnu qemu-user-static
                              emscripten nodejs) ;;
    *) echo "deps.sh: unknown option '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
