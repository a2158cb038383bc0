#!/usr/bin/env bash
# Live capture at full speed: 200,000 UDP datagrams (18-byte payload) sent as fast as one core sends them
# across a veth pair between two network namespaces that this script makes and removes, captured on the
# receiving end (a) by tcpdump alone, into a FIFO drained by cat, and (b) by scripts/live.sh --console,
# which runs tcpdump with the same settings into the capture host under Wine. Three runs; each prints the
# rate sent, what each counted, and the kernel's drops as tcpdump reports them and as the host shows them;
# and, before (b)'s burst, how soon a single datagram reached the host (saved by it with --pcap-out).
#
#   capture_live_drops.sh [WIN64_BIN_DIR]
# Needs root (namespaces, capture), tcpdump and the win64 build beside this bench build; without them it
# says why and exits 77 (skipped).
set -u
here=$(cd "$(dirname "$0")" && pwd)
win_bin=${1:-$here/../../win64/bin}
flood=$here/../helpers/udp_flood
cache="$here/../CMakeCache.txt"
root=$(sed -n "s/^CMAKE_HOME_DIRECTORY:[A-Z]*=//p" "$cache" 2>/dev/null)
count=200000
payload=18
runs=3

skip() {
    echo "live capture: skipped: $*"
    exit 77
}
[ -x "$flood" ] || skip "no sender at $flood"
[ -f "$win_bin/BrisklaneCapture.exe" ] && command -v wine >/dev/null || skip "no win64 build at $win_bin (or no wine)"
command -v tcpdump >/dev/null || skip "no tcpdump"
[ -n "$root" ] && [ -x "$root/scripts/live.sh" ] || skip "no checkout with scripts/live.sh at \"$root\""

port=5001
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    netns_pair_remove
    [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
# shellcheck source=tests/support/netns_pair.sh
source "$root/tests/support/netns_pair.sh"
# Namespaces that cannot be made, or entered, are the environment's limit, not a result.
netns_pair_make bench 10.204.0.1 10.204.0.2
case $? in
1) skip "$netns_pair_problem" ;;
2) echo "live capture: $netns_pair_problem"; exit 1 ;;
esac
# A socket that takes the datagrams and never reads them: no port-unreachable answers join the traffic.
ip netns exec "$ns_a" python3 -c "import socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(('$addr_a', $port))
time.sleep(3600)" &
pids+=($!)
# The neighbour is known before the first run, so that no datagram waits for ARP.
ip netns exec "$ns_b" ping -q -c 1 -W 2 "$addr_a" >/dev/null

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
set +e +o pipefail
cp "$win_bin/BrisklaneCapture.exe" "$win_bin/packet.dll" "$work/"
printf '[main]\r\nidleseconds=1000000\r\n' >"$work/BrisklaneCapture.ini"
brisklane_fresh_prefix "$work/prefix" >/dev/null 2>&1 || { echo "live capture: no Wine prefix"; exit 1; }
unset DISPLAY

filter=(udp and dst port "$port")
# The last count of a kind that tcpdump reported in its log (a count a line at its end, all three on one
# line on SIGUSR1).
reported() { grep -oE "[0-9]+ packets? $1" "$2" | tail -1 | cut -d' ' -f1; }
# True once tcpdump's filter has taken the datagrams sent, or tcpdump has handed them over (the log's
# latest report says so).
filtered() { [ "$(reported "received by filter" "$2")" -ge "$1" ] 2>/dev/null; }
handed_over() { [ "$(reported captured "$2")" -ge "$1" ] 2>/dev/null; }
send() { ip netns exec "$ns_b" "$flood" "$addr_a" "$port" "$count" "$payload"; }

met_zero=0
met_no_more=0
latencies=()
for run in $(seq 1 "$runs"); do
    # (a) tcpdump alone, into a FIFO drained by cat.
    mkfifo "$work/alone.fifo"
    cat "$work/alone.fifo" >/dev/null &
    pids+=($!)
    ip netns exec "$ns_a" tcpdump -i "$veth_a" -U -B 32768 -w "$work/alone.fifo" "${filter[@]}" 2>"$work/alone.log" &
    dump=$!
    pids+=("$dump")
    wait_for 10 grep -q "listening on" "$work/alone.log" || { echo "tcpdump did not start: $(cat "$work/alone.log")"; exit 1; }
    read -r sent rate < <(send)
    # tcpdump ends once it has handed over everything sent (it reports on SIGUSR1), as live.sh ends it.
    asked() { kill -USR1 "$dump" && handed_over "$sent" "$work/alone.log"; }
    wait_for 10 asked
    kill -TERM "$dump"
    wait "$dump" 2>/dev/null
    alone_captured=$(reported captured "$work/alone.log")
    alone_dropped=$(reported "dropped by kernel" "$work/alone.log")
    rm -f "$work/alone.fifo"

    # (b) live.sh --console: the same tcpdump settings, the capture host behind them.
    rm -f "$work/live.pcap"
    ip netns exec "$ns_a" env BRISKLANE_BIN_DIR="$work" WINEPREFIX="$work/prefix" "$root/scripts/live.sh" \
        "$veth_a" --console --pcap-out "$work/live.pcap" "${filter[@]}" >"$work/live.csv" 2>"$work/live.log" &
    live=$!
    pids+=("$live")
    wait_for 60 grep -q "flows are printed" "$work/live.log" || { echo "live.sh did not start: $(cat "$work/live.log")"; exit 1; }
    # How soon a new flow reaches the host: one datagram, until the host has saved it (the host saves from
    # its start on, the file header first).
    saved_beyond() { [ "$(stat -c %s "$work/live.pcap" 2>/dev/null || echo 0)" -gt "$1" ]; }
    wait_for 30 saved_beyond 23 || { echo "the host did not start: $(cat "$work/live.log")"; exit 1; }
    first=$(date +%s.%N)
    ip netns exec "$ns_b" "$flood" "$addr_a" "$port" 1 "$payload" >/dev/null
    wait_for 10 saved_beyond 24
    latency=$(awk "BEGIN { printf \"%.2f\", $(date +%s.%N) - $first }")
    read -r live_sent live_rate < <(send)
    live_sent=$((live_sent + 1))
    # live.sh's tcpdump writes its counts into the log beside its FIFO, once a second; once its filter has
    # taken everything sent, live.sh is stopped as Ctrl+C stops it.
    live_log=$(dirname "$(pgrep -af "^tcpdump -i $veth_a " | grep -o '/tmp/brisklane-live[^ ]*')")/tcpdump.log
    wait_for 10 filtered "$live_sent" "$live_log"
    kill -TERM "$live"
    wait "$live"
    live_status=$?
    counted=$(sed -n 's/^All packets: \([0-9]*\) .*/\1/p' "$work/live.csv")
    shown=$(sed -n 's/^Dropped: //p' "$work/live.csv")
    live_dropped=$(sed -n 's/^live: tcpdump: \([0-9]*\) packets\? dropped by kernel$/\1/p' "$work/live.log")

    printf 'run %d: (a) tcpdump alone: sent %d at %d/s, captured %s, kernel dropped %s\n' "$run" "$sent" "$rate" \
        "${alone_captured:-?}" "${alone_dropped:-?}"
    printf '       (b) live.sh --console: sent %d at %d/s, the host counted %s, kernel dropped %s (the host says "Dropped: %s"), exit %d\n' \
        "$live_sent" "$live_rate" "${counted:-?}" "${live_dropped:-?}" "${shown:-?}" "$live_status"
    printf '       a new flow reached the host %s s after its first datagram (target: within 2 s)\n' "$latency"
    latencies+=("$latency")
    if [ "${counted:-0}" = "$live_sent" ] && [ "${shown:-}" = 0 ] && [ "${live_dropped:-}" = 0 ]; then
        met_zero=$((met_zero + 1))
    fi
    lost_alone=$((sent - ${alone_captured:-0}))
    lost_live=$((live_sent - ${counted:-0}))
    [ "$lost_live" -le "$lost_alone" ] && met_no_more=$((met_no_more + 1))
done
verdict() { [ "$1" -eq "$runs" ] && echo "met" || echo "NOT met"; }
echo "live capture: (b) counted every datagram with 0 dropped in $met_zero of $runs runs (target: $runs of $runs): $(verdict "$met_zero")"
echo "live capture: (b) lost no more than (a) in $met_no_more of $runs runs (target: $runs of $runs): $(verdict "$met_no_more")"
slowest=$(printf '%s\n' "${latencies[@]}" | sort -n | tail -1)
echo "live capture: a new flow reached the host within $slowest s at the slowest (target: within 2 s): $(
    [ "$(awk "BEGIN { print ($slowest <= 2) }")" = 1 ] && echo met || echo "NOT met")"
