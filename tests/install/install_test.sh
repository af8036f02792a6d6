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
app_id="" version="" bindir="" unitdir=""
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
  "$bindir/quarvex" "$bindir/quarvex-stage" "$bindir/quarvex-server"
  "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$app_id.svg"
  share/man/man6/quarvex.6.gz share/man/man6/quarvex-stage.6.gz share/man/man6/quarvex-server.6.gz
  share/doc/quarvex/copyright share/doc/quarvex/changelog.gz
)
for size in 48 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
while read -r file; do
  expected+=("share/quarvex/$file")
done < <(cd "$build/data" && find . -type f -printf '%P\n')
[[ -x "$usr/$bindir/quarvex" && -x "$usr/$bindir/quarvex-stage" && -x "$usr/$bindir/quarvex-server" ]] ||
  fail "the programs are not executable"
# The server's unit lies outside /usr in the Debian package.
diff <({ printf 'usr/%s\n' "${expected[@]}"; echo "$unitdir/quarvex-server.service"; } | sort) \
  <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
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
# The folder the game is started from plays no part, and a --data folder
# that holds only a stage file plays it over the installed data.
cd "$work/swapped"
[[ "$("$game" "${run[@]}")" == "$reference" ]] || fail "the working directory's map1.aod was read"
[[ "$("$game" --data "$work/swapped" "${run[@]}")" == "$swapped" ]] || fail "--data was not read"
mkdir "$work/only-stage"
cp "$build/data/map2.aod" "$work/only-stage/map1.aod"
[[ "$("$game" --data "$work/only-stage" "${run[@]}")" == "$swapped" ]] ||
  fail "a --data folder with only a stage file did not play it"
cd "$work/elsewhere"
cp "$build/data/map2.aod" "$usr/share/quarvex/map1.aod"
[[ "$("$game" "${run[@]}")" == "$swapped" ]] || fail "the installed map1.aod was not the one read"

# The installed stage compiler reads the installed stages.
stage_tool="$usr/$bindir/quarvex-stage"
"$stage_tool" decompile "$usr/share/quarvex/map3.aod" >map3.txt
"$stage_tool" compile map3.txt map3.aod
cmp -s map3.aod "$usr/share/quarvex/map3.aod" || fail "quarvex-stage does not round-trip map3.aod"
# The installed server: its manual page and --help agree, its unit starts
# the installed program, and it hosts a game the installed game plays.
server="$usr/$bindir/quarvex-server"
[[ "$("$server" --version)" == "quarvex-server $version" ]] ||
  fail "quarvex-server --version says '$("$server" --version)'"
manual_options="$(zcat "$usr/share/man/man6/quarvex-server.6.gz" | sed 's/\\-/-/g' | grep -o -- '--[a-z][a-z-]*' | sort -u)"
help_options="$("$server" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)"
diff <(echo "$manual_options") <(echo "$help_options") ||
  fail "the server's manual page (<) and --help (>) list different options"
unit="$root/$unitdir/quarvex-server.service"
grep -q "^ExecStart=/usr/$bindir/quarvex-server " "$unit" || fail "the unit starts another program"
if command -v systemd-analyze >/dev/null; then
  sed "s|/usr/$bindir/quarvex-server|$server|" "$unit" >"$work/quarvex-server.service"
  MANPATH="$usr/share/man" systemd-analyze verify "$work/quarvex-server.service" >"$work/unit.log" 2>&1 ||
    fail "systemd-analyze rejects the unit: $(cat "$work/unit.log")"
fi
"$server" --listen 127.0.0.1:0 --frame-interval 2 --stats 0 >"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  port="$(sed -n 's|.*listening on ws://127.0.0.1:\([0-9]*\).*|\1|p' "$work/server.log")"
  [[ -n "$port" ]] && break
  sleep 0.1
done
code="$("$game" --headless --connect "ws://127.0.0.1:$port" --create-game --humans 0 --frames 100 |
  sed -n 's/^code: //p')"
played="$("$game" --headless --connect "ws://127.0.0.1:$port" --code "$code" --side 0 --hash |
  sed -n 's/^hash: //p')"
kill "$server_pid"
wait "$server_pid" || true
grep -qF "game $code: ended at frame 100, hash: $played" "$work/server.log" ||
  fail "the installed server and game disagree: $played; $(cat "$work/server.log")"
echo "install test: ${#expected[@]} files installed and checked"
