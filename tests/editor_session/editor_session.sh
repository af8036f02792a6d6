#!/bin/bash
# A new stage made in the editor's window by key presses and mouse clicks:
# an empty map on ground 2, two headquarters and ten units, one turned and
# moved, the move undone and done again, a test play and back, saved. The
# saved stage must then play with every unit where it was placed, and be
# byte for byte what the stage compiler makes of its decompiled text.
#
#   editor_session.sh QUARVEX QUARVEX_STAGE SHOTS_DIR   (under an X display)
set -eu
game=$1
stage_tool=$2
shots=$3
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$shots"
export HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
# The X libraries' and D-Bus's own allocations at exit are not the game's:
# under the sanitizers the leak check is off for the window, as in the other
# windowed tests; every other check stays.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
cd "$work"

"$game" --edit "$work/mine.aod" --scale 1 --no-replay > game.out 2> game.err &
pid=$!
win=""
for _ in $(seq 50); do
  win=$(xdotool search --pid "$pid" 2> /dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "no window"; cat game.err; exit 1; }
sleep 1

# A key is held for several frames: a press shorter than a frame is lost.
key() { for k in "$@"; do xdotool keydown "$k"; sleep 0.12; xdotool keyup "$k"; sleep 0.12; done; }
at() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.1; }
click() { at "$2" "$3"; xdotool mousedown "$1"; sleep 0.1; xdotool mouseup "$1"; sleep 0.15; }
shot() {  # F12 names its file by the second: one a second at most
  key F12; sleep 1.1
  local f; f=$(ls -t quarvex-*.png 2> /dev/null | head -1)
  [ -n "$f" ] && mv "$f" "$shots/$1.png"
}

shot 1-start
key Right Return                 # an empty map on ground 2
click 3 200 330                  # headquarters of side 1 (the palette opens on it)
key 2; click 3 440 150           # and of side 2
key Tab Tab 1                    # vehicles, side 1
for x in 200 220 240 260 280; do click 3 "$x" 280; done
key 2
for x in 360 380 400 420 440; do click 3 "$x" 200; done
click 1 220 280                  # select the second tank of side 1
key q                            # turned 22.5 degrees
at 220 280; xdotool mousedown 1; sleep 0.1
at 230 290; at 240 300; xdotool mouseup 1; sleep 0.2
key ctrl+z ctrl+y                # the move undone and done again
shot 2-placed
key F1; shot 3-keys; key F1
key F5; sleep 3                  # test play on side 2
shot 4-test-play
key Escape; sleep 0.3; key Return; sleep 0.5   # the menu's "Back to the editor"
shot 5-back
key ctrl+s; sleep 0.5
shot 6-saved
key Escape; sleep 0.5            # saved: leaving asks nothing
key Escape; sleep 0.3; key Return   # the title menu's quit question: yes
for _ in $(seq 25); do kill -0 "$pid" 2> /dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2> /dev/null; then echo "the game did not end"; exit 1; fi
wait "$pid" || { echo "the game failed"; cat game.err; exit 1; }

[ -f mine.aod ] && [ -f mine.toml ] || { echo "not saved"; ls -la; cat game.err; exit 1; }
grep -q '^ground = 2' mine.toml || { echo "not on ground 2"; cat mine.toml; exit 1; }
"$stage_tool" decompile mine.aod mine.txt
"$stage_tool" compile mine.txt again.aod
cmp mine.aod again.aod

"$game" --headless --stage-file mine.aod --seed 1 --frames 1 --dump dump.json > /dev/null
python3 - "$work/dump.json" << 'PY'
import json, math, sys
# The picture at --scale 1 from the editor's first view: the whole map, 0,0
# in the middle, the ground 2.54 map units a pixel (its field of view and
# height as the editor's view computes them).
half = 73 * 1.1 ** 26 * math.tan(math.radians(35))
def at(px, py):
    return ((px - 320) / 320 * half * 1.33, (240 - py) / 240 * half)
expected = [(32, 1, at(200, 330)), (32, 2, at(440, 150))]
expected += [(2, 1, at(x, 280)) for x in (200, 220, 240, 260, 280)]
expected += [(2, 2, at(x, 200)) for x in (360, 380, 400, 420, 440)]
moved = at(240, 300)
expected[3] = (2, 1, (moved[0], moved[1]))
units = [u for u in json.load(open(sys.argv[1]))["units"] if u["index"] > 0 and u["parent"] == 0]
assert len(units) == 12, len(units)
for n, ((kind, side, (x, y)), u) in enumerate(zip(expected, units)):
    assert u["side"] == side, (n, u["side"], side)
    assert abs(u["x"] - x) < 4 and abs(u["y"] - y) < 4, (n, u["x"], u["y"], x, y)
# The computer may steer its units in the first frame; the turned one is ours.
turned = [n for n, u in enumerate(units) if abs(u["heading"] - math.radians(22.5)) < 0.001]
assert turned == [3], turned
print("editor session: 12 units where they were placed, one turned and moved")
PY
