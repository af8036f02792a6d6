#!/usr/bin/env bash
# Installs the game into a temporary root as a player gets it, then checks the
# installed files and runs the installed game from a folder of its own.
#   install_test.sh BUILD_DIR [PACKAGE.deb]
# Without a package the root is filled by `cmake --install` with DESTDIR; with
# one, by unpacking it (a package made from BUILD_DIR).
set -euo pipefail
if (($# < 1)); then
  echo "usage: install_test.sh BUILD_DIR [PACKAGE.deb]" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
deb="${2:-}"
app_id="" version="" bindir=""
# shellcheck source=/dev/null
source "$build/dist/install.env"

work="$(mktemp -d "${TMPDIR:-/tmp}/quarvex-install-XXXXXX")"
trap 'rm -rf "$work"' EXIT
root="$work/root"
usr="$root/usr"
fail() {
  echo "install test: $*" >&2
  exit 1
}

if [[ -n "$deb" ]]; then
  dpkg-deb -x "$deb" "$root"
else
  DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
fi

# Every file where a Linux desktop looks for it, and nothing else.
expected=(
  "$bindir/quarvex" "$bindir/quarvex-stage"
  "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$app_id.svg"
  share/man/man6/quarvex.6.gz share/man/man6/quarvex-stage.6.gz
  share/doc/quarvex/copyright share/doc/quarvex/changelog.gz
)
for size in 48 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
while read -r file; do
  expected+=("share/quarvex/$file")
done < <(cd "$build/data" && find . -type f -printf '%P\n')
[[ -x "$usr/$bindir/quarvex" && -x "$usr/$bindir/quarvex-stage" ]] ||
  fail "the programs are not executable"
diff <(printf 'usr/%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
  fail "installed files differ from the list above (< expected, > installed)"
cmp -s "$usr/share/quarvex/map1.aod" "$build/data/map1.aod" || fail "map1.aod differs from the build's"
if grep -rlF "$build" "$usr/share"; then
  fail "installed files name the build folder $build"
fi

png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ print ($3 * 256 + $4) "x" ($7 * 256 + $8) }'
}
for size in 48 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  [[ "$(png_size "$icon")" == "${size}x${size}" ]] || fail "$icon is $(png_size "$icon")"
done

desktop="$usr/share/applications/$app_id.desktop"
metainfo="$usr/share/metainfo/$app_id.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  fail "appstreamcli rejects $metainfo: $(cat "$work/appstream.log")"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry names another icon"
grep -qx "Exec=quarvex" "$desktop" || fail "the desktop entry starts another program"
grep -qF "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo launches another desktop entry"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo lacks release $version"
zcat "$usr/share/doc/quarvex/changelog.gz" | head -1 | grep -qF "quarvex ($version)" ||
  fail "the changelog does not start with $version"

game="$usr/$bindir/quarvex"
[[ "$("$game" --version)" == "quarvex $version" ]] || fail "--version says '$("$game" --version)'"
# The manual page and --help list the same options.
manual_options="$(zcat "$usr/share/man/man6/quarvex.6.gz" | sed 's/\\-/-/g' | grep -o -- '--[a-z][a-z-]*' | sort -u)"
help_options="$("$game" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)"
diff <(echo "$manual_options") <(echo "$help_options") ||
  fail "the manual page (<) and --help (>) list different options"
[[ "$("$game" --help | grep -c -- '^  -')" == "$(echo "$help_options" | wc -l)" ]] ||
  fail "--help does not give each option one line"

# The installed game reads its own stage from any folder, without --data,
# and plays it as the built game does.
run=(--headless --start --stage 1 --seed 5 --frames 2 --hash)
mkdir "$work/elsewhere"
cd "$work/elsewhere"
reference="$("$build/quarvex" --data "$build/data" "${run[@]}")"
installed="$("$game" "${run[@]}" --dump units.json)"
[[ "$installed" == "$reference" ]] || fail "installed game: '$installed', built game: '$reference'"
[[ "$installed" != *message:* ]] || fail "the installed game could not read its stage: $installed"
units="$(grep -o '"index"' units.json | wc -l)"
((units > 60)) || fail "the installed game placed $units units on stage 1"

# A folder whose map1.aod is stage 2's layout tells which copy a run read.
mkdir "$work/swapped"
cp -r "$build/data/." "$work/swapped/"
cp "$build/data/map2.aod" "$work/swapped/map1.aod"
swapped="$("$build/quarvex" --data "$work/swapped" "${run[@]}")"
[[ "$swapped" != "$reference" ]] || fail "stage 2's layout plays like stage 1's"
cd "$work/swapped"
[[ "$("$game" "${run[@]}")" == "$swapped" ]] || fail "the working directory's map1.aod was not read"
[[ "$("$game" --data "$build/data" "${run[@]}")" == "$reference" ]] || fail "--data was not read"
cd "$work/elsewhere"
cp "$build/data/map2.aod" "$usr/share/quarvex/map1.aod"
[[ "$("$game" "${run[@]}")" == "$swapped" ]] || fail "the installed map1.aod was not the one read"

# The installed stage compiler reads the installed stages.
stage_tool="$usr/$bindir/quarvex-stage"
"$stage_tool" decompile "$usr/share/quarvex/map3.aod" >map3.txt
"$stage_tool" compile map3.txt map3.aod
cmp -s map3.aod "$usr/share/quarvex/map3.aod" || fail "quarvex-stage does not round-trip map3.aod"
echo "install test: ${#expected[@]} files installed and checked"
