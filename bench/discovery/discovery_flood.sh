#!/bin/bash
# CPU of a lobby window under floods of forged games, and of a hosting copy
# under a flood of queries, each beside an idle twin in the same run. Every
# program runs on private ports with its discovery datagrams kept on the
# loopback; the floods come from other loopback addresses (bin/discovery_flood).
# CPU is user + system time from /proc/<pid>/stat over SECONDS seconds, as a
# share of one core.
# Usage: bash bench/discovery/discovery_flood.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-10}
. "$(dirname "$0")/../../tools/scratch.sh" discoflood
export QT_QPA_PLATFORM=offscreen LEXICLASH_LOBBY_PORT=0
hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
pct() { python3 -c "import sys; print('%.1f %%' % (100.0 * int(sys.argv[1]) / int(sys.argv[3]) / float(sys.argv[2])))" "$1" "$2" "$hz"; }

# start NAME ARGS...: a lobby of its own, with its own discovery port in $port_NAME.
declare -A port lobby
start() {
    local name=$1; shift
    mkdir -p "$work/$name"
    port[$name]=$(free_port SOCK_DGRAM)
    (cd "$work/$name" && LEXICLASH_HOME="$work/$name" XDG_RUNTIME_DIR="$work/$name" \
        LEXICLASH_INSTANCE="flood$name" LEXICLASH_PORT=$(free_port SOCK_STREAM) \
        LEXICLASH_DISCOVERY_PORT=${port[$name]} \
        exec "$build/bin/lexiclash-lobby" "$@" > "$work/$name.log" 2>&1) &
    lobby[$name]=$!
    pids+=($!)
}
game_pid() { pgrep -P "${lobby[$1]}" -x lexiclash; }
# Datagrams the kernel dropped for a full receive buffer, on every socket of
# the given UDP port.
drops() { awk -v p=":$(printf '%04X' "$1")" 'substr($2, length($2) - 4) == p {n += $NF} END {print n + 0}' /proc/net/udp; }

# measure LABEL PID_FLOODED PID_IDLE KIND RATE PORT
measure() {
    local flooded=$2 idle=$3 f0 i0 f1 i1 flood d0 d1
    f0=$(ticks "$flooded"); i0=$(ticks "$idle"); d0=$(drops "$6")
    if [ "$5" -gt 0 ]; then
        "$build/bin/discovery_flood" "$4" "$5" "$seconds" 127.0.0.2-127.0.0.200 "$6" > "$work/flood.out" &
        flood=$!
        wait "$flood"
    else
        sleep "$seconds"
    fi
    f1=$(ticks "$flooded"); i1=$(ticks "$idle"); d1=$(drops "$6")
    printf '%-40s %9s %9s %9s\n' "$1" "$(pct $((f1 - f0)) "$seconds")" \
        "$(pct $((i1 - i0)) "$seconds")" "$((d1 - d0))"
}

start window_flooded
start window_idle
start host_flooded host Ann
start host_idle host Bea
for name in host_flooded host_idle; do
    for _ in $(seq 600); do grep -qs "the game connected" "$work/$name.log" && break; sleep 0.1; done
done
sleep 3
printf '%-40s %9s %9s %9s\n' "" "flooded" "idle twin" "dropped"
measure "lobby window, no flood" "${lobby[window_flooded]}" "${lobby[window_idle]}" games 0 0
for rate in 1000 10000; do
    measure "lobby window, $rate forged games/s" "${lobby[window_flooded]}" "${lobby[window_idle]}" \
        games "$rate" "${port[window_flooded]}"
done
hf=$(game_pid host_flooded); hi=$(game_pid host_idle)
measure "hosting copy, no flood" "$hf" "$hi" queries 0 0
for rate in 1000 10000; do
    measure "hosting copy, $rate queries/s" "$hf" "$hi" queries "$rate" "${port[host_flooded]}"
done
