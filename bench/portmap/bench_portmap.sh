#!/bin/bash
# Runs bench_portmap in the home namespace of the port-mapping rig, once per
# kind of router: UPnP IGD, NAT-PMP alone, no router at all, and a router
# that answers neither. As root.
#   bench/portmap/bench_portmap.sh [BUILD_DIR] [RUNS]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
runs=${2:-20}
program=$build/bin/bench_portmap
[ -x "$program" ] || { echo "build bench_portmap first (-DLEXICLASH_BENCH=ON)" >&2; exit 2; }
for mode in upnp natpmp nogw silent; do
    echo "## $mode"
    # The rig stands while its input is open; it goes when the loop closes it.
    coproc RIG { bash "$here/../../tests/portmap/rig.sh" "$mode"; }
    read -r -t 20 line <&"${RIG[0]}" || { echo "the rig did not stand" >&2; exit 1; }
    case $line in
    ready*) ;;
    *) echo "$line" >&2; exit 1 ;;
    esac
    home=$(sed -n 's/.* home=\([^ ]*\).*/\1/p' <<<"$line")
    ip netns exec "$home" "$program" "$runs" 47772 2>/dev/null
    exec {RIG[1]}>&-
    wait "$RIG_PID"
    echo
done
