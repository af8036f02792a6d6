#!/usr/bin/env bash
# Builds the Debian package from a Release build (build-package/) and checks
# it: lintian must report no error, and the files the package installs must
# pass the install test (validators, and the installed game reading its stage
# from another folder). Prints the package's path last.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/deps.sh" --package
cmake --preset package >/dev/null
cmake --build --preset package
cpack --preset package >/dev/null
version="$(sed -n 's/^version=//p' build-package/dist/install.env)"
deb="$root/build-package/quarvex_${version}_amd64.deb"
# Warnings and notes are printed for the record; only errors fail.
lintian --fail-on error "$deb"
bash tests/install/install_test.sh build-package "$deb"
echo "$deb"
