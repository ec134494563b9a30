#!/bin/bash
# Takes docs/lobby.png from the real lobby window: a game hosted by "Ann" on
# private ports, with a second player, found over loopback only.
# Usage: bash tools/lobby_shot.sh [OUT.png] [BUILD_DIR]
set -euo pipefail
out=${1:-docs/lobby.png}
build=$(cd "${2:-build}" && pwd)
work=$(mktemp -d /tmp/lobbyshot.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
free_port() { python3 -c 'import socket,sys; s=socket.socket(socket.AF_INET, getattr(socket, sys.argv[1])); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' "$1"; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export LEXICLASH_PORT=$(free_port SOCK_STREAM)
export LEXICLASH_DISCOVERY_PORT=$(free_port SOCK_DGRAM)
export LEXICLASH_LOBBY_PORT=0
for who in Ann:host Cleo:join; do
    name=${who%%:*}; mode=${who##*:}
    mkdir -p "$work/$name"
    args=(host "$name"); [ "$mode" = join ] && args=(join "$name" 127.0.0.1)
    (cd "$work/$name" && LEXICLASH_HOME="$work/$name" XDG_RUNTIME_DIR="$work/$name" \
        LEXICLASH_INSTANCE="shot$name" QT_QPA_PLATFORM=offscreen \
        exec "$build/bin/lexiclash-lobby" "${args[@]}" > "$work/$name.log" 2>&1) &
    pids+=($!)
    for _ in $(seq 300); do grep -qs "the game connected" "$work/$name.log" && break; sleep 0.1; done
done
sleep 2
# The window itself shows the usual game port in its hint.
LEXICLASH_HOME="$work" LEXICLASH_PORT= "$build/bin/lobby_shot" "$out" "$LEXICLASH_DISCOVERY_PORT"
echo "wrote $out"
