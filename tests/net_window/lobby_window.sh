#!/bin/bash
# Two friends through the menus, as players do it: one window hosts from the
# Play together page (its own server, on the loopback address and port
# 7480), a second window joins with the code typed in, both wait in the
# lobby, the host chooses stage 2, the joiner marks itself ready and the
# host starts. Each moves its cursor and gives an order; after 2,000 frames the
# two windows' Worlds must agree, and so must the replays they kept.
#
#   lobby_window.sh QUARVEX DATA_DIR SHOTS_DIR   (under an X display)
set -eu
game=$1
data=$2
shots=$3
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done; rm -rf "$work"' EXIT
mkdir -p "$shots"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
cd "$work"

fail() { echo "lobby_window: $*"; for f in *.err *.out; do echo "--- $f"; tail -20 "$f"; done; exit 1; }

line_of() {  # the first line of FILE starting with PREFIX, waited for (20 s at most)
  for _ in $(seq 100); do
    local l; l=$(grep -m1 "^$2" "$1" 2> /dev/null || true)
    [ -n "$l" ] && { echo "$l"; return 0; }
    sleep 0.2
  done
  return 1
}
window_of() {  # the window of process PID, waited for
  for _ in $(seq 100); do
    local w; w=$(xdotool search --pid "$1" 2> /dev/null | head -1 || true)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
  return 1
}
# Keys go to the window that has the focus; a press is held for several
# frames, as a press shorter than a frame is lost.
focus() { xdotool windowfocus --sync "$1" 2> /dev/null || xdotool windowfocus "$1"; sleep 0.3; }
key() { for k in "$@"; do xdotool keydown "$k"; sleep 0.15; xdotool keyup "$k"; sleep 0.15; done; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.15; }
shot() {  # F12 in the focused window names its file by the second
  key F12; sleep 1.1
  local f; f=$(ls -t "$2"/quarvex-*.png 2> /dev/null | head -1)
  [ -n "$f" ] && mv "$f" "$shots/$1.png"
  return 0
}
# Each player has a home of its own: its settings hold its name.
player_home() {
  mkdir -p "$work/$1/config/quarvex"
  printf '[player]\nname = "%s"\n' "$2" > "$work/$1/config/quarvex/settings.toml"
}
run_player() {  # DIR, then the game's arguments
  local dir=$1; shift
  (cd "$work/$dir" && HOME=$work/$dir XDG_CONFIG_HOME=$work/$dir/config \
    XDG_DATA_HOME=$work/$dir/data exec "$game" "$@") > "$dir.out" 2> "$dir.err" &
}
# From the title menu's first row to the Play together page.
to_play_together() { key Down Down Down Down Return; }

player_home host Ana
player_home guest Bo
run_player host --data "$data" --frames 2000 --hash --scale 1
host=$!
pids+=($host)
host_win=$(window_of "$host") || fail "no host window"
sleep 2
focus "$host_win"
to_play_together
shot 1-play-together "$work/host"
key Return                 # Host a game
key Up Return              # the loopback address, listed last
code=$(line_of host.out "code: " | cut -c7-) || fail "the host printed no code"
[ ${#code} -eq 6 ] || fail "the host's code is '$code'"
address=$(line_of host.out "address: " | cut -c10-) || fail "the host printed no address"
sleep 1
key Right                  # stage 2 (a change of setup clears the ready marks)

run_player guest --data "$data" --frames 2000 --hash --scale 1
guest=$!
pids+=($guest)
guest_win=$(window_of "$guest") || fail "no guest window"
sleep 2
focus "$guest_win"
to_play_together
key Down Return            # Join a game
key Return                 # a new address
xdotool type --delay 120 "$address"
key Return
xdotool type --delay 120 "$code"
key Return
sleep 3                    # connecting, then the lobby's first roster
key Return                 # ready (the lobby opens on the ready row)
sleep 1

focus "$host_win"
shot 2-lobby "$work/host"
key Down Down Down Down Down Return   # Start
sleep 3
shot 3-host-playing "$work/host"
hold KP_8 1.0
hold KP_6 0.8
key KP_7 KP_6 space        # an order given

focus "$guest_win"
shot 4-guest-playing "$work/guest"
hold KP_2 1.0
hold KP_4 0.8
key KP_7 KP_6 space

wait "$host" || fail "the host's window failed"
wait "$guest" || fail "the guest's window failed"
host_hash=$(grep -m1 -o '^hash: .*' host.out) || fail "no hash from the host"
guest_hash=$(grep -m1 -o '^hash: .*' guest.out) || fail "no hash from the guest"
[ "$host_hash" = "$guest_hash" ] || fail "the host ended with $host_hash, the guest with $guest_hash"
for p in host guest; do
  replay=$(ls "$work/$p"/data/quarvex/replays/*.qvr 2> /dev/null | head -1)
  [ -n "$replay" ] || fail "$p kept no replay"
  grep -q 'space' "$replay" || fail "$p's replay holds no order"
  replayed=$("$game" --headless --replay "$replay" --data "$data" | grep -o '^hash: .*') ||
    fail "$p's replay does not play"
  [ "$replayed" = "$host_hash" ] || fail "$p's replay ends with $replayed, the game with $host_hash"
done
echo "lobby_window: host and guest agree: $host_hash"
