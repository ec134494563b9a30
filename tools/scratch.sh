# Sourced by the shell tools that start copies of the program:
#   . tools/scratch.sh NAME
# makes the scratch folder $work (/tmp/NAME.XXXXXX), stops every process
# whose id the tool adds to $pids, and the processes those started (a game
# outlives the lobby that started it), removes $work when the tool exits, and
# gives free_port SOCK_STREAM|SOCK_DGRAM, a loopback port nobody uses. The
# copies' discovery datagrams stay on the loopback.
export LEXICLASH_DISCOVERY_TARGETS=127.255.255.255
work=$(mktemp -d "/tmp/${1:?scratch.sh needs a name}.XXXXXX")
pids=()
scratch_cleanup() {
    for pid in "${pids[@]}"; do
        pkill -TERM -P "$pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap scratch_cleanup EXIT
free_port() {
    python3 -c 'import socket,sys; s=socket.socket(socket.AF_INET, getattr(socket, sys.argv[1])); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' "$1"
}
