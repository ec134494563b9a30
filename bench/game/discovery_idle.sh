#!/bin/bash
# CPU of an idle hosting copy with and without its discovery responder, side
# by side in one run. Both copies host a game on private ports through the
# lobby program; the reference copy is given a discovery port that is
# already taken, so it runs without answering. CPU is user + system time
# from /proc/<pid>/stat over SECONDS seconds after a settling pause, as a
# share of one core.
# Usage: bash bench/game/discovery_idle.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-20}
. "$(dirname "$0")/../../tools/scratch.sh" discoidle
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
game_pid() { pgrep -P "$1" -x lexiclash; }

# The reference's discovery port is held by a socket of our own.
held=$(free_port SOCK_DGRAM)
python3 -c 'import socket,sys,time; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("0.0.0.0", int(sys.argv[1]))); time.sleep(100000)' "$held" &
pids+=($!)
sleep 0.5

declare -A lobby
for who in answering reference; do
    mkdir -p "$work/$who"
    port=$(free_port SOCK_DGRAM); [ "$who" = reference ] && port=$held
    (cd "$work/$who" && LEXICLASH_HOME="$work/$who" XDG_RUNTIME_DIR="$work/$who" \
        LEXICLASH_INSTANCE="idle$who" QT_QPA_PLATFORM=offscreen LEXICLASH_PORTMAP=off \
        LEXICLASH_PORT=$(free_port SOCK_STREAM) LEXICLASH_LOBBY_PORT=0 \
        LEXICLASH_DISCOVERY_PORT=$port \
        exec "$build/bin/lexiclash-lobby" host Ann > "$work/$who.log" 2>&1) &
    lobby[$who]=$!
    pids+=($!)
done
for who in answering reference; do
    for _ in $(seq 600); do grep -qs "the game connected" "$work/$who.log" && break; sleep 0.1; done
done
sleep 3
a=$(game_pid "${lobby[answering]}"); r=$(game_pid "${lobby[reference]}")
a0=$(ticks "$a"); r0=$(ticks "$r")
sleep "$seconds"
a1=$(ticks "$a"); r1=$(ticks "$r")
hz=$(getconf CLK_TCK)
pct() { python3 -c "import sys; print('%.2f %%' % (100.0 * int(sys.argv[1]) / int(sys.argv[3]) / int(sys.argv[2])))" "$1" "$2" "$hz"; }
grep -q "cannot answer discovery" "$work/reference.log" && echo "reference: not answering (port held)"
echo "idle hosting copy, answering discovery: $(pct $((a1 - a0)) "$seconds") of a core over ${seconds} s"
echo "idle hosting copy, reference (no responder): $(pct $((r1 - r0)) "$seconds") of a core over ${seconds} s"
