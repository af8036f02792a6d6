#!/usr/bin/env bash
# Figures of the game server, each from a quarvex-server of its own on
# 127.0.0.1 at the real 30 ms pace (docs/performance.md, "The game server"):
#
#   bytes   four headless clients play stage 2 with random keys for SECONDS:
#           what each sends and receives (WebSocket payload)
#   cpu     one four-player game of protocol-level clients on the crowded
#           stage, simulated by the server: the server's processor share,
#           next to the same server with no game
#   load    GAMES four-player games of protocol-level clients in one process:
#           the lateness of the server's closed frames, without simulation,
#           and with every game simulated on stage 2
#
#   bench/net_figures.sh [BUILD_DIR] [bytes|cpu|load|all] [SECONDS] [GAMES]
# defaults: build all 60 200
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
what="${2:-all}"
seconds="${3:-60}"
games="${4:-200}"
work="$(mktemp -d)"
server_pid=""
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a server with the given options; sets $url.
start_server() {
  "$build/quarvex-server" --listen 127.0.0.1:0 "$@" >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do
    port="$(sed -n 's|.*listening on ws://127.0.0.1:\([0-9]*\).*|\1|p' "$work/server.log")"
    [[ -n "$port" ]] && break
    sleep 0.1
  done
  url="ws://127.0.0.1:$port"
}
stop_server() {
  kill "$server_pid"
  wait "$server_pid" || true
  server_pid=""
}
# The server's statistics lines, without the first (which saw the games
# being made).
steady_stats() {
  grep '^stats:' "$work/server.log" | tail -n +2
}

bytes() {
  start_server --stats 0 --data "$build/data"
  local frames=$((seconds * 1000 / 30))
  code="$("$build/quarvex" --headless --connect "$url" --create-game --stage 2 --seed 3 \
    --frames "$frames" | sed -n 's/^code: //p')"
  for side in 0 1 2 3; do
    python3 - "$side" "$frames" >"$work/keys$side.txt" <<'EOF'
import random, sys
side, frames = int(sys.argv[1]), int(sys.argv[2])
names = "kp0 kp1 kp3 kp4 kp5 kp6 kp7 kp8 kp9 space tab".split()
r = random.Random(side)
f = 1
while f <= frames:
    last = min(frames, f + r.randint(0, 11))
    print(f"{f}-{last} " + " ".join(n for n in names if r.random() < 0.15))
    f = last + 1
EOF
    "$build/quarvex" --headless --connect "$url" --code "$code" --side "$side" \
      --data "$build/data" --input "$work/keys$side.txt" >"$work/client$side.log" 2>&1 &
  done
  wait $(jobs -p | grep -v "^$server_pid$")
  stop_server
  echo "== bytes: four players, stage 2, $frames frames at 30 ms"
  grep -h '^network:' "$work"/client*.log
}

cpu() {
  "$build/quarvex_net_load" --crowded-stage "$work" >/dev/null
  start_server --stats "$seconds" --data "$work"
  sleep $((seconds + 1))
  "$build/quarvex_net_load" --connect "$url" --games 1 --seconds $((2 * seconds + 5)) \
    --no-hashes >"$work/load.log"
  stop_server
  echo "== cpu: the server with no game"
  grep '^stats:' "$work/server.log" | sed -n 1p
  echo "== cpu: one four-player game on the crowded stage, simulated"
  grep '^stats:' "$work/server.log" | sed -n 3p
  cat "$work/load.log"
}

load() {
  local limits=(--max-games $((games + 10)) --max-clients $((5 * games + 10)) --max-new-games 100000)
  start_server --no-simulation --stats "$seconds" "${limits[@]}"
  "$build/quarvex_net_load" --connect "$url" --games "$games" --seconds $((2 * seconds + 5)) \
    >"$work/load.log"
  stop_server
  echo "== load: $games four-player games, not simulated (hashes compared among the clients)"
  steady_stats | head -n 1
  cat "$work/load.log"

  start_server --stats "$seconds" --data "$build/data" "${limits[@]}"
  "$build/quarvex_net_load" --connect "$url" --games "$games" --seconds $((2 * seconds + 5)) \
    --no-hashes --stage 2 >"$work/load.log"
  stop_server
  echo "== load: $games four-player games, every one simulated on stage 2"
  steady_stats | head -n 1
  cat "$work/load.log"
}

case "$what" in
  bytes) bytes ;;
  cpu) cpu ;;
  load) load ;;
  all) bytes && cpu && load ;;
  *) echo "net_figures: bytes, cpu, load or all" >&2; exit 2 ;;
esac
