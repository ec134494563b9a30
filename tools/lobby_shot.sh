#!/bin/bash
# Takes docs/lobby.png from the real lobby window: a game hosted by "Ann" on
# private ports, with a second player, and a dedicated host (lexiclash-host)
# "Friday club", found over loopback only. Under a virtual X server (DISPLAY
# set, QT_QPA_PLATFORM=xcb) the picture is the one a desktop shows.
# Usage: bash tools/lobby_shot.sh [OUT.png] [BUILD_DIR]
set -euo pipefail
out=${1:-docs/lobby.png}
build=$(cd "${2:-build}" && pwd)
. "$(dirname "$0")/scratch.sh" lobbyshot
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export LEXICLASH_PORT=$(free_port SOCK_STREAM)
export LEXICLASH_DISCOVERY_PORT=$(free_port SOCK_DGRAM)
export LEXICLASH_LOBBY_PORT=0
# The hosting copy asks no router on the machine's network to open its port.
export LEXICLASH_PORTMAP=off
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
mkdir -p "$work/server"
(cd "$work/server" && XDG_RUNTIME_DIR="$work/server" exec "$build/bin/lexiclash-host" \
    --name "Friday club" --port "$(free_port SOCK_STREAM)" --computer none \
    > "$work/server.log" 2>&1) &
pids+=($!)
for _ in $(seq 100); do grep -qs "^started:" "$work/server.log" && break; sleep 0.1; done
sleep 2
# The window itself shows the usual game port in its hint.
LEXICLASH_HOME="$work" LEXICLASH_PORT= "$build/bin/lobby_shot" "$out" "$LEXICLASH_DISCOVERY_PORT" \
    server
echo "wrote $out"
