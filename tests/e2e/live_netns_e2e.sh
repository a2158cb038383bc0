#!/usr/bin/env bash
# Live traffic end to end: two network namespaces joined by a veth pair that this test creates, known UDP
# and ICMP traffic between them and nowhere else. scripts/live.sh captures on one end (tcpdump into a FIFO,
# read by the console host with no display at all) while a second tcpdump writes its own file of the same
# traffic. The host's flows must equal those of tcpdump's file replayed through the host; that replay path
# is held to independently computed tables by the oracle test, so what this shows is that the live path
# loses, adds and changes nothing. The known traffic must be in it, and its datagram count must equal the
# IPv4 packets tcpdump itself reads from its file, and the drops must be measured (none here). A second
# run with a capture filter lists only what the filter lets through and saves it with --pcap-out. Where the
# machine cannot give the test what it needs (namespaces, running commands in them, a veth pair, a capture on
# it, the tools), the test says what failed and is skipped, never failed: that is the environment, not the
# program.
#
#   live_netns_e2e.sh BIN_DIR SOURCE_DIR DATA_DIR
set -u
bin=$1
source_dir=$2
source "$(dirname "$0")/../support/host_shell_support.sh"
# shellcheck source=tests/support/netns_pair.sh
source "$(dirname "$0")/../support/netns_pair.sh"
BRISKLANE_DATA_DIR=$3

live_pid=""
dump_pid=""
cleanup() {
    [ -z "$live_pid" ] || kill "$live_pid" 2>/dev/null
    [ -z "$dump_pid" ] || kill "$dump_pid" 2>/dev/null
    wait 2>/dev/null
    netns_pair_remove
    host_cleanup
}
trap cleanup EXIT
trap 'exit 1' INT TERM

skip() {
    echo "SKIPPED: $*"
    exit 77
}
for tool in ip tcpdump python3 setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
fail() {
    echo "FAIL: $*"
    exit 1
}
netns_pair_make live 10.203.0.1 10.203.0.2
case $? in
1) skip "$netns_pair_problem" ;;
2) fail "$netns_pair_problem" ;;
esac
in_a() { ip netns exec "$ns_a" "$@"; }
in_b() { ip netns exec "$ns_b" "$@"; }
# A capture on the pair: tcpdump waits for packets until the time is up unless it cannot capture at all.
probe=$(timeout 2 ip netns exec "$ns_a" tcpdump -i "$veth_a" -w /dev/null 2>&1)
[ $? -eq 124 ] || skip "tcpdump cannot capture in the namespace here: $(tail -1 <<<"$probe")"

host_setup "$bin"

# tcpdump's own file of the traffic.
# (ip netns exec runs the command in its own process: $! is tcpdump, and below live.sh, themselves.)
ip netns exec "$ns_a" tcpdump -i "$veth_a" -U --immediate-mode -w "$work/tcpdump.pcap" 2>"$work/dump.log" &
dump_pid=$!
wait_for 10 grep -q "listening on" "$work/dump.log" || fail "tcpdump did not start: $(cat "$work/dump.log")"

# The live capture, through the script a person runs.
ip netns exec "$ns_a" env BRISKLANE_BIN_DIR="$work/host" "$source_dir/scripts/live.sh" "$veth_a" --console \
    >"$work/live.csv" 2>"$work/live.log" &
live_pid=$!
wait_for 60 grep -q "flows are printed" "$work/live.log" || fail "live.sh did not start: $(cat "$work/live.log")"

# The known traffic: pings both ways, UDP from one socket on each side to a closed port (each answered
# with a port unreachable), and last a marker datagram.
in_a ping -q -c 4 -i 0.2 -s 100 "$addr_b" >/dev/null || fail "ping from a"
in_b ping -q -c 2 -i 0.2 -s 300 "$addr_a" >/dev/null || fail "ping from b"
# An unconnected socket, which the port unreachables that come back do not close.
send_udp() { # namespace, destination address, port, payload sizes...
    local ns=$1 address=$2 port=$3
    shift 3
    ip netns exec "$ns" python3 -c "import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for size in sys.argv[1:]:
    s.sendto(b'x' * int(size), ('$address', $port))" "$@"
}
send_udp "$ns_a" "$addr_b" 9999 100 200 300 || fail "udp from a"
send_udp "$ns_b" "$addr_a" 7777 1 2 || fail "udp from b"
send_udp "$ns_a" "$addr_b" 9 3 || fail "marker"
wait_for 10 bash -c "tcpdump -r '$work/tcpdump.pcap' -nn 'udp port 9' 2>/dev/null | grep -q ." ||
    fail "the marker is not in tcpdump's file"
# Both tcpdumps see every packet; the live one has written it into the FIFO once it has written as many
# bytes as the other wrote into its file.
live_dump=$(pgrep -f "^tcpdump -i $veth_a -U -B 32768 -w /tmp/brisklane-live") || fail "live tcpdump"
written() { sed -n 's/^wchar: //p' "/proc/$live_dump/io"; }
wait_for 10 bash -c "[ \"\$(sed -n 's/^wchar: //p' /proc/$live_dump/io)\" -ge $(stat -c %s "$work/tcpdump.pcap") ]" ||
    fail "the live tcpdump wrote $(written) bytes, the file has $(stat -c %s "$work/tcpdump.pcap")"

kill -TERM "$live_pid" # as Ctrl+C would: the stream ends and the host prints its flows
wait_for 30 bash -c "! kill -0 $live_pid 2>/dev/null" || fail "live.sh did not end"
wait "$live_pid"
live_status=$?
live_pid=""
kill -TERM "$dump_pid"
wait "$dump_pid"
dump_pid=""
echo "live.sh: exit $live_status; $(tr '\n' ' ' <"$work/live.log")"
[ "$live_status" -eq 0 ] || fail "live.sh exit status $live_status"

host_console "Z:$work/tcpdump.pcap" >"$work/replayed.csv" 2>"$work/replayed.err" ||
    fail "replaying tcpdump's file: $(cat "$work/replayed.err")"
cat "$work/live.csv"
failures=0
expect() { # what, condition...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
expect "the live flows equal those of tcpdump's file" cmp -s "$work/replayed.csv" "$work/live.csv"
ipv4=$(tcpdump -r "$work/tcpdump.pcap" -nn ip 2>/dev/null | wc -l)
expect "all $ipv4 IPv4 packets of tcpdump's file are counted" grep -qx "All packets: $ipv4     Total bytes: [0-9]*" \
    "$work/live.csv"
# Sums of packets and bytes over the flows matching source, destination, first word, second word, protocol.
sum() {
    awk -F, -v s="$1" -v d="$2" -v w1="$3" -v w2="$4" -v p="$5" \
        '$1 == s && $2 == d && (w1 == "*" || $3 == w1) && (w2 == "*" || $4 == w2) && $5 == p \
         { n += $6; b += $7 } END { print n + 0, b + 0 }' "$work/live.csv"
}
expect "3 UDP datagrams a to b, 684 bytes" [ "$(sum $addr_a $addr_b '*' 9999 17)" = "3 684" ]
expect "2 UDP datagrams b to a, 59 bytes" [ "$(sum $addr_b $addr_a '*' 7777 17)" = "2 59" ]
expect "4 echo requests a to b" [ "$(sum $addr_a $addr_b 2048 '*' 1)" = "4 512" ]
expect "4 echo replies b to a" [ "$(sum $addr_b $addr_a 0 '*' 1)" = "4 512" ]
expect "2 echo requests b to a" [ "$(sum $addr_b $addr_a 2048 '*' 1)" = "2 656" ]
expect "2 echo replies a to b" [ "$(sum $addr_a $addr_b 0 '*' 1)" = "2 656" ]
expect "4 port unreachables b to a" [ "$(sum $addr_b $addr_a 771 '*' 1 | cut -d' ' -f1)" = 4 ]
expect "2 port unreachables a to b" [ "$(sum $addr_a $addr_b 771 '*' 1 | cut -d' ' -f1)" = 2 ]
expect "the kernel's drops were measured: none" grep -qx "Dropped: 0" "$work/live.csv"

# A capture filter, as tcpdump takes it, and the packets saved as they come.
ip netns exec "$ns_a" env BRISKLANE_BIN_DIR="$work/host" "$source_dir/scripts/live.sh" "$veth_a" --console \
    --pcap-out "$work/filtered.pcap" --buffer 4 icmp and dst host "$addr_b" >"$work/filtered.csv" 2>"$work/filtered.log" &
live_pid=$!
wait_for 60 grep -q "flows are printed" "$work/filtered.log" || fail "live.sh did not start: $(cat "$work/filtered.log")"
in_a ping -q -c 3 -i 0.2 "$addr_b" >/dev/null || fail "ping from a"
send_udp "$ns_a" "$addr_b" 9999 10 || fail "udp from a"
wait_for 10 bash -c "[ \"\$(tcpdump -r '$work/filtered.pcap' 2>/dev/null | wc -l)\" -ge 3 ]" ||
    fail "the filtered capture did not save the pings: $(cat "$work/filtered.log")"
kill -TERM "$live_pid"
wait "$live_pid"
live_pid=""
cat "$work/filtered.csv"
expect "the filter lets only the echo requests to b through" \
    [ "$(grep -c "^$addr_a,$addr_b,2048,[0-9]*,1,1,84$" "$work/filtered.csv")" = 3 ]
expect "and nothing else" [ "$(grep -c "^[0-9]" "$work/filtered.csv")" = 3 ]
expect "what it saved is what it counted" [ "$(tcpdump -r "$work/filtered.pcap" -nn 2>/dev/null | wc -l)" = 3 ]
grep -q "kernel buffer 4 MB" "$work/filtered.log" || expect "the kernel buffer asked for is used" false
[ "$failures" -eq 0 ] || fail "$failures check(s)"
echo "all checks passed"

# A capture the kernel refuses is reported as needing root or CAP_NET_RAW.
in_a setpriv --bounding-set -net_raw --inh-caps -net_raw env BRISKLANE_BIN_DIR="$work/host" \
    "$source_dir/scripts/live.sh" "$veth_a" --console >/dev/null 2>"$work/refused.log"
refused=$?
grep -q "needs root or the CAP_NET_RAW capability" "$work/refused.log" && [ "$refused" -ne 0 ] ||
    fail "a refused capture: exit $refused, $(cat "$work/refused.log")"
echo "ok: without CAP_NET_RAW: $(cat "$work/refused.log")"
