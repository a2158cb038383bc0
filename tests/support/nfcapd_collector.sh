# nfcapd as a collector for the flow-export test and benchmark (sourced): as it comes, with its defaults, on a
# free loopback port, writing into a folder of its own.
#   free_udp_port     collector_start DIR     collector_stop
# collector_start sets collector_port, collector_pid and collector_flows (the folder nfdump reads with -R);
# collector_stop sets collector_sequence_errors (empty when nfcapd did not say).

# A loopback UDP port nothing listens on.
free_udp_port() {
    python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Returns 1, its log on standard error, when nfcapd does not come up within 5 s.
collector_start() {
    local dir=$1 i
    collector_port=$(free_udp_port)
    collector_flows="$dir/flows"
    collector_log="$dir/nfcapd.log"
    rm -rf "$collector_flows"
    mkdir -p "$collector_flows"
    nfcapd -w "$collector_flows" -b 127.0.0.1 -p "$collector_port" >"$collector_log" 2>&1 &
    collector_pid=$!
    for i in $(seq 1 250); do
        ss -Huln "sport = :$collector_port" | grep -q . && return 0
        kill -0 "$collector_pid" 2>/dev/null || break
        sleep 0.02
    done
    echo "nfcapd did not start: $(cat "$collector_log")" >&2
    return 1
}

# Stops nfcapd once it has read every datagram waiting in its socket, so that its file holds them all.
collector_stop() {
    local i
    for i in $(seq 1 250); do
        [ "$(ss -Huln "sport = :$collector_port" | awk '{ print $2 }')" = 0 ] && break
        sleep 0.02
    done
    kill -INT "$collector_pid"
    wait "$collector_pid"
    collector_pid=""
    collector_sequence_errors=$(tr -d '\0' <"$collector_log" | sed -n 's/.*Sequence Errors: \([0-9]*\).*/\1/p' | tail -1)
}
