# Two network namespaces joined by a veth pair, IPv4 only, for the live-capture test and benchmark
# (sourced). Nothing else on the machine is touched, and netns_pair_remove takes it all away again.
#   netns_pair_make TAG ADDR_A ADDR_B     netns_pair_remove     wait_for SECONDS COMMAND...
# netns_pair_make sets ns_a, ns_b (the namespaces), veth_a, veth_b (their ends of the pair), addr_a and addr_b.

# Returns 1, with the reason in netns_pair_problem, when the machine cannot give what is needed (root or
# CAP_NET_ADMIN, running commands in a namespace, which mounts a /sys of its own that a container or a
# minimal root may refuse, a veth pair): that is the environment's limit, which callers report as skipped.
# Returns 2 when the pair was made but could not be set up.
netns_pair_make() {
    local tag=$1 side ns veth addr
    ns_a="brisklane-$tag-a-$$"
    ns_b="brisklane-$tag-b-$$"
    veth_a="${tag:0:2}a$$"
    veth_b="${tag:0:2}b$$"
    addr_a=$2
    addr_b=$3
    if ! netns_pair_problem=$(ip netns add "$ns_a" 2>&1); then
        netns_pair_problem="this machine cannot create network namespaces (root or CAP_NET_ADMIN is needed): $netns_pair_problem"
        return 1
    fi
    if ! netns_pair_problem=$(ip netns exec "$ns_a" true 2>&1); then
        netns_pair_problem="commands cannot run in a network namespace here: $netns_pair_problem"
        return 1
    fi
    if ! netns_pair_problem=$(ip netns add "$ns_b" 2>&1); then
        netns_pair_problem="a second network namespace cannot be created: $netns_pair_problem"
        return 1
    fi
    if ! netns_pair_problem=$(ip link add "$veth_a" netns "$ns_a" type veth peer name "$veth_b" netns "$ns_b" 2>&1); then
        netns_pair_problem="no veth pair can be made here: $netns_pair_problem"
        return 1
    fi
    for side in a b; do
        ns="ns_$side" veth="veth_$side" addr="addr_$side"
        # IPv4 only, and every datagram to a closed port answered: the traffic is what the caller sends.
        ip netns exec "${!ns}" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1 \
            net.ipv4.icmp_ratelimit=0 &&
            ip -n "${!ns}" addr add "${!addr}/24" dev "${!veth}" &&
            ip -n "${!ns}" link set "${!veth}" up || {
            netns_pair_problem="the pair's end in ${!ns} could not be set up"
            return 2
        }
    done
}

netns_pair_remove() {
    [ -z "${ns_a:-}" ] || ip netns del "$ns_a" 2>/dev/null
    [ -z "${ns_b:-}" ] || ip netns del "$ns_b" 2>/dev/null
}

# Polls a condition (a command) for at most the given seconds.
wait_for() {
    local seconds=$1 i
    shift
    for i in $(seq 1 $((seconds * 20))); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
