#!/usr/bin/env bash
# Installs the Debian packages the build, the game, the tests and the game's
# own package need, when they are missing. Safe to run again: installs nothing when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libepoxy-dev libglm-dev libstb-dev libfontconfig-dev
  libtomlplusplus-dev
  librsvg2-dev librsvg2-bin fonts-ipafont-gothic xfonts-base
  xvfb xauth libgl1-mesa-dri libegl-mesa0 python3
)
# Checking the installed files and building the Debian package.
package_tools=(desktop-file-utils appstream dpkg-dev lintian man-db)
case "${1:-}" in
  --test) packages+=(clang libclang-rt-14-dev "${package_tools[@]}") ;;
  --package) packages+=("${package_tools[@]}") ;;
esac

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
