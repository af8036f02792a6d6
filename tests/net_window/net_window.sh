#!/bin/bash
# A networked game played in the window. quarvex-server on a free port; a
# headless client creates a game of two people on stage 2 (2,000 frames)
# and plays side 0 from a key script; the window joins with the code and
# plays side 1 with key presses: the cursor moves, the order menu opens and
# an order is given, the game is paused and goes on, and a chat line goes
# to the other player. At the end the window's World (its hash and its replay
# played again) must be the headless player's. Then the waits and
# refusals, each in a window of its own: Esc leaves a connection to an
# address that never answers, and a wrong code and a taken side each show
# their line.
#
#   net_window.sh QUARVEX QUARVEX_SERVER DATA_DIR SHOTS_DIR   (under an X display)
set -eu
game=$1
server=$2
data=$3
shots=$4
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done; rm -rf "$work"' EXIT
mkdir -p "$shots"
export HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
cd "$work"

fail() { echo "net_window: $*"; for f in *.err *.out; do echo "--- $f"; tail -20 "$f"; done; exit 1; }

# The first line of FILE that starts with PREFIX, waited for (20 s at most).
line_of() {
  for _ in $(seq 100); do
    local l; l=$(grep -m1 "^$2" "$1" 2> /dev/null || true)
    [ -n "$l" ] && { echo "$l"; return 0; }
    sleep 0.2
  done
  return 1
}
# The window of process PID, waited for.
window_of() {
  for _ in $(seq 100); do
    local w; w=$(xdotool search --pid "$1" 2> /dev/null | head -1 || true)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
  return 1
}
# Whether process PID ends within SECONDS.
ends_within() {
  for _ in $(seq $(($2 * 10))); do kill -0 "$1" 2> /dev/null || return 0; sleep 0.1; done
  return 1
}
# A key is held for several frames: a press shorter than a frame is lost.
key() { for k in "$@"; do xdotool keydown "$k"; sleep 0.15; xdotool keyup "$k"; sleep 0.15; done; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.15; }
shot() {  # F12 names its file by the second: one a second at most
  key F12; sleep 1.1
  local f; f=$(ls -t quarvex-*.png 2> /dev/null | head -1)
  [ -n "$f" ] && mv "$f" "$shots/$1.png"
  return 0
}

"$server" --listen 127.0.0.1:0 --data "$data" --stats 0 > server.out 2> server.err &
pids+=($!)
listening=$(line_of server.out quarvex-server) || fail "the server did not start"
url=$(echo "$listening" | grep -o 'ws://127\.0\.0\.1:[0-9]*')

# --- the game: a headless player on side 0, the window on side 1
"$game" --headless --connect "$url" --data "$data" --create-game --stage 2 --seed 7 \
  --humans 0,1 --frames 2000 > create.out 2> create.err || fail "no game created"
code=$(grep -o '^code: [A-Z]*' create.out | cut -c7-)
[ ${#code} -eq 6 ] || fail "no code"
for f in $(seq 1 40 1960); do
  echo "$f-$((f + 5)) kp$((f % 3 == 0 ? 4 : 6))" >> keys0.txt
done
"$game" --headless --connect "$url" --data "$data" --code "$code" --side 0 --input keys0.txt \
  --hash > side0.out 2> side0.err &
side0=$!
pids+=($side0)
"$game" --connect "$url" --data "$data" --code "$code" --side 1 --frames 2000 --hash \
  --scale 1 --record window.qvr --screenshot 1200:mid-game.png > window.out 2> window.err &
window=$!
pids+=($window)
win=$(window_of "$window") || fail "no window"
xdotool mousemove --window "$win" 320 240
sleep 3
shot 1-playing
hold KP_8 1.0          # the cursor up and to the right
hold KP_6 1.0
key KP_7               # the order menu on the unit under the cursor, or none
key KP_6 space         # the next order, given
hold KP_4 0.6
key KP_7 KP_4 space
shot 2-orders
# P pauses the game for both players, and P again lets it go on after its
# countdown. A chat line: Enter opens it, what is typed reaches no side,
# Enter sends it to the other player.
key p
sleep 1
shot 3-paused
key p
sleep 1
shot 3-resuming
sleep 3
key Return
xdotool type --delay 150 'gg ありがとう'
sleep 0.3
shot 3-chat-typing
key Return
sleep 1
shot 3-chat
# Esc opens the menu; the game goes on behind it and Esc closes it again.
key Escape
shot 3-menu
key Escape
wait "$window" || fail "the window's game failed"
wait "$side0" || fail "the headless player failed"
window_hash=$(grep -o '^hash: .*' window.out) || fail "no hash from the window"
side0_hash=$(grep -o '^hash: .*' side0.out) || fail "no hash from the headless player"
[ "$window_hash" = "$side0_hash" ] || fail "the window ended with $window_hash, the player with $side0_hash"
grep -q '^pause [0-9]* 1$' window.qvr || fail "the window's P did not pause the game"
grep -q '^resume [0-9]* 1$' window.qvr || fail "the window's second P did not let the game go on"
grep -q '^frame [0-9]*: side 1 pauses the game' side0.out || fail "the other player saw no pause"
grep -q '^chat .*: gg' side0.out || fail "the other player heard no chat line"
grep -q '^player 1 ' window.qvr || fail "the window's recording names no player of side 1"
grep -q '^1: .*kp8' window.qvr || fail "the window's side 1 never pressed keypad 8"
grep -q '^1: .*space' window.qvr || fail "the window's side 1 never gave an order"
replay=$(ls "$XDG_DATA_HOME"/quarvex/replays/*.qvr 2> /dev/null | head -1)
[ -n "$replay" ] || fail "the window kept no replay"
replayed=$("$game" --headless --replay "$replay" --data "$data" | grep -o '^hash: .*') ||
  fail "the window's replay does not play"
[ "$replayed" = "$side0_hash" ] || fail "the window's replay ends with $replayed, the game with $side0_hash"
[ -f mid-game.png ] && mv mid-game.png "$shots/"
echo "net_window: the window and the headless player agree: $window_hash"

# --- the window creates the game (its code on standard output and at the
# top of the window) and plays side 0; a headless player joins side 1
"$game" --connect "$url" --data "$data" --create-game --stage 3 --seed 11 --humans 0,1 \
  --frames 300 --hash --scale 1 --no-replay > creator.out 2> creator.err &
creator=$!
pids+=($creator)
window_of "$creator" > /dev/null || fail "no window creating the game"
code3=$(line_of creator.out "code: " | cut -c7-) || fail "the window printed no code"
shot 5-waiting-for-players
"$game" --headless --connect "$url" --data "$data" --code "$code3" --side 1 --input keys0.txt \
  --hash > joiner.out 2> joiner.err &
joiner=$!
pids+=($joiner)
wait "$creator" || fail "the creating window's game failed"
wait "$joiner" || fail "the headless player of the window's game failed"
creator_hash=$(grep -o '^hash: .*' creator.out) || fail "no hash from the creating window"
joiner_hash=$(grep -o '^hash: .*' joiner.out) || fail "no hash from its headless player"
[ "$creator_hash" = "$joiner_hash" ] || fail "the creating window ended with $creator_hash, its player with $joiner_hash"
echo "net_window: the window's own game agrees: $creator_hash"

# --- the waits and refusals: each window shows its line, and Esc leaves
python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(8)
print(s.getsockname()[1], flush=True)
time.sleep(120)' > silent.out &
pids+=($!)
silent_port=$(line_of silent.out '[0-9]') || fail "no silent address"
"$game" --headless --connect "$url" --data "$data" --create-game --stage 1 --seed 3 \
  --humans 0 > create2.out 2> create2.err || fail "no second game"
code2=$(grep -o '^code: [A-Z]*' create2.out | cut -c7-)
"$game" --headless --connect "$url" --data "$data" --code "$code2" --side 0 > taker.out 2> taker.err &
pids+=($!)
line_of taker.out joined > /dev/null || fail "the side was not taken"

# name | address | code | side | the line on standard error (empty: none, Esc leaves the wait)
cases=(
  "never-answers|ws://127.0.0.1:$silent_port|QWERTY|0|"
  "wrong-code|$url|ZZZZZZ|0|No game has the code ZZZZZZ."
  "side-taken|$url|$code2|0|Another player has this side."
)
for c in "${cases[@]}"; do
  IFS='|' read -r name address join side expected <<< "$c"
  "$game" --connect "$address" --data "$data" --code "$join" --side "$side" --scale 1 \
    > "$name.out" 2> "$name.err" &
  pid=$!
  pids+=($pid)
  window_of "$pid" > /dev/null || fail "$name: no window"
  if [ -n "$expected" ]; then
    line_of "$name.err" "quarvex: $expected" > /dev/null || fail "$name: no line '$expected'"
  else
    sleep 2
    kill -0 "$pid" 2> /dev/null || fail "$name: the wait ended by itself"
  fi
  shot "4-$name"
  key Escape
  ends_within "$pid" 2 || fail "$name: Esc did not leave within a second"
  status=0
  wait "$pid" || status=$?
  if [ -n "$expected" ]; then
    [ "$status" -eq 1 ] || fail "$name: exit status $status after a refusal"
  else
    [ "$status" -eq 0 ] || fail "$name: exit status $status after leaving"
  fi
  echo "net_window: $name: ${expected:-left with Esc}"
done
