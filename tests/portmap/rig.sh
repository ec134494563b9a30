#!/bin/bash
# A small internet in network namespaces for the port-mapping tests:
#
#   home (10.77.0.2, fd77::2)      \
#                                   router (10.77.0.1 | WAN.1) -- remote (WAN.2)
#   neighbour (10.77.0.3, fd77::3) /
#
# Home and neighbour are two computers of one local network (a bridge in the
# router namespace). The router runs the real miniupnpd with nftables masquerade from the home
# side to the wan side and a forward policy of drop, so that only mapped ports
# get through; remote has no route to home. The wan block exists only inside
# the rig.
#
# Usage: rig.sh MODE, where MODE is
#   upnp     UPnP IGD and NAT-PMP, outside address 25.88.0.1
#   natpmp   NAT-PMP alone
#   cgnat    UPnP IGD and NAT-PMP, outside address 100.64.0.1 (shared)
#   silent   a router that forwards but answers neither UPnP nor NAT-PMP (it
#            drops whatever is sent to itself)
#   nogw     home alone: an interface without a gateway, no router at all
#
# The rig prints "ready NAME=VALUE ..." once it stands, then stays until its
# standard input closes (so it goes with the test that started it, however
# that ends) or it gets SIGTERM; every namespace, daemon and file is removed
# on the way out. Exit 77: namespaces or a tool are not available here.

set -u
mode=${1:-upnp}
tag=lx$$
home=$tag-home
router=$tag-router
remote=$tag-remote
neighbour=$tag-neighbour
dir=$(mktemp -d /tmp/lexiclash-rig.XXXXXX)
upnpd_pid=

teardown() {
    trap - EXIT INT TERM
    if [ -n "$upnpd_pid" ]; then
        kill "$upnpd_pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$upnpd_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$upnpd_pid" 2>/dev/null
    fi
    for ns in "$home" "$router" "$remote" "$neighbour"; do
        ip netns pids "$ns" 2>/dev/null | while read -r pid; do kill -9 "$pid" 2>/dev/null; done
        ip netns del "$ns" 2>/dev/null
    done
    rm -rf "$dir"
}
trap teardown EXIT
trap 'exit 1' INT TERM

skip() {
    echo "skip $*"
    exit 77
}

[ "$(id -u)" = 0 ] || skip "network namespaces need root"
command -v ip >/dev/null || skip "ip (iproute2) is not installed"
ip netns add "$home" 2>/dev/null || skip "this machine refuses network namespaces"

in_ns() {
    local ns=$1
    shift
    ip netns exec "$ns" "$@"
}

in_ns "$home" ip link set lo up
if [ "$mode" = nogw ]; then
    # A network with no router: an address, and no gateway to ask. (A veth
    # pair, since not every kernel has the dummy driver.)
    in_ns "$home" ip link add h0 type veth peer name h1 || exit 1
    in_ns "$home" ip addr add 10.77.0.2/24 dev h0
    in_ns "$home" ip link set h1 up
    in_ns "$home" ip link set h0 up
    echo "ready home=$home home_ip=10.77.0.2"
    read -r _
    exit 0
fi

command -v nft >/dev/null || skip "nft (nftables) is not installed"
[ -x /usr/sbin/miniupnpd ] || skip "miniupnpd (miniupnpd-nftables) is not installed"

case "$mode" in
upnp | natpmp | silent) wan=25.88.0 ;;
cgnat) wan=100.64.0 ;;
*)
    echo "unknown mode $mode" >&2
    exit 2
    ;;
esac

ip netns add "$router" || exit 1
ip netns add "$remote" || exit 1
ip netns add "$neighbour" || exit 1
for ns in "$router" "$remote" "$neighbour"; do in_ns "$ns" ip link set lo up; done
ip link add h0 netns "$home" type veth peer name r0 netns "$router" || exit 1
ip link add n0 netns "$neighbour" type veth peer name r2 netns "$router" || exit 1
ip link add r1 netns "$router" type veth peer name w0 netns "$remote" || exit 1
in_ns "$router" ip link add br0 type bridge forward_delay 0 mcast_snooping 0
in_ns "$router" ip link set r0 master br0
in_ns "$router" ip link set r2 master br0
for end in "$home h0 2" "$neighbour n0 3"; do
    set -- $end
    in_ns "$1" ip addr add "10.77.0.$3/24" dev "$2"
    in_ns "$1" ip addr add "fd77::$3/64" dev "$2" nodad
    in_ns "$1" ip link set "$2" up
    in_ns "$1" ip route add default via 10.77.0.1
done
in_ns "$router" ip addr add 10.77.0.1/24 dev br0
in_ns "$router" ip addr add fd77::1/64 dev br0 nodad
in_ns "$router" ip addr add "$wan.1/24" dev r1
for link in r0 r2 r1 br0; do in_ns "$router" ip link set "$link" up; done
in_ns "$router" sh -c "echo 1 >/proc/sys/net/ipv4/ip_forward"
in_ns "$remote" ip addr add "$wan.2/24" dev w0
in_ns "$remote" ip link set w0 up

in_ns "$router" nft -f - <<NFT || exit 1
table inet filter {
    chain miniupnpd { }
    chain prerouting_miniupnpd { }
    chain postrouting_miniupnpd { }
    chain forward {
        type filter hook forward priority 0; policy drop;
        ct state established,related accept
        iifname "br0" oifname "r1" accept
        jump miniupnpd
    }
    chain prerouting {
        type nat hook prerouting priority dstnat; policy accept;
        jump prerouting_miniupnpd
    }
    chain postrouting {
        type nat hook postrouting priority srcnat; policy accept;
        jump postrouting_miniupnpd
        oifname "r1" masquerade
    }
}
NFT

if [ "$mode" = silent ]; then
    in_ns "$router" nft add chain inet filter input \
        '{ type filter hook input priority 0; policy drop; }' || exit 1
    echo "ready home=$home router=$router remote=$remote neighbour=$neighbour" \
        "home_ip=10.77.0.2 home_ip6=fd77::2 neighbour_ip=10.77.0.3 wan_ip=$wan.1" \
        "remote_ip=$wan.2"
    read -r _
    exit 0
fi

upnp=yes
[ "$mode" = natpmp ] && upnp=no
cat >"$dir/miniupnpd.conf" <<CONF
ext_ifname=r1
listening_ip=br0
ipv6_disable=yes
port=0
enable_upnp=$upnp
enable_natpmp=yes
secure_mode=yes
system_uptime=yes
notify_interval=60
clean_ruleset_interval=0
uuid=3f7c2a9e-5b1d-4e8a-9c6f-25880000c0de
lease_file=$dir/leases
allow 1024-65535 10.77.0.0/24 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
CONF
in_ns "$router" /usr/sbin/miniupnpd -d -f "$dir/miniupnpd.conf" -P "$dir/miniupnpd.pid" \
    >"$dir/miniupnpd.log" 2>&1 &
upnpd_pid=$!
# It stands once it listens for NAT-PMP (and SSDP) on the home side and both
# bridge ports forward.
standing() {
    in_ns "$router" ss -uln | grep -q '10.77.0.1:5351' &&
        { [ "$upnp" = no ] || in_ns "$router" ss -uln | grep -q '%br0:1900'; } &&
        [ "$(in_ns "$router" bridge link show | grep -c 'state forwarding')" = 2 ]
}
for _ in $(seq 50); do
    standing && break
    kill -0 "$upnpd_pid" 2>/dev/null || break
    sleep 0.1
done
if ! standing; then
    echo "miniupnpd did not start:" >&2
    cat "$dir/miniupnpd.log" >&2
    exit 1
fi
echo "ready home=$home router=$router remote=$remote neighbour=$neighbour" \
    "home_ip=10.77.0.2 home_ip6=fd77::2 neighbour_ip=10.77.0.3" \
    "wan_ip=$wan.1 remote_ip=$wan.2 upnpd_log=$dir/miniupnpd.log"
read -r _
exit 0
