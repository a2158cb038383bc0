#!/usr/bin/env bash
# Flow export as a person runs it, against the peer tools in the same run: the whole console process under
# Wine (start to exit, no display) on the large capture, without and with --ipfix to nfcapd on
# loopback with its default settings; the time the export adds against the target of 15%; the records
# nfcapd received against the capture's flows; and softflowd on the same file to a collector of the same
# kind, with its default flow limit and with it raised above the file's flows.
#
#   capture_ipfix_export.sh [WIN64_BIN_DIR]
# Defaults: the win64 build beside this bench build. The large capture and the checkout come from this bench
# build's CMakeCache.txt, as for capture_wine_ratio.sh.
set -u
here=$(cd "$(dirname "$0")" && pwd)
win_bin=${1:-$here/../../win64/bin}
cache="$here/../CMakeCache.txt"
cached() { sed -n "s/^$1:[A-Z]*=//p" "$cache" 2>/dev/null; }
root=$(cached CMAKE_HOME_DIRECTORY)
large=$(cached BRISKLANE_LARGE_CAPTURE)
if [ -z "$large" ] || [ ! -f "$large" ]; then
    echo "flow export: no large capture: BRISKLANE_LARGE_CAPTURE in $cache is \"$large\"" >&2
    exit 1
fi
if [ -z "$root" ] || [ ! -f "$root/scripts/setup.sh" ]; then
    echo "flow export: no checkout with scripts/setup.sh at \"$root\" (CMAKE_HOME_DIRECTORY in $cache)" >&2
    exit 1
fi
if [ ! -f "$win_bin/BrisklaneCapture.exe" ] || [ ! -f "$win_bin/packet.dll" ] || ! command -v wine >/dev/null; then
    echo "flow export: no win64 build at $win_bin (or no wine): skipped"
    exit 0
fi
for tool in nfcapd nfdump softflowd softflowctl ss; do
    if ! command -v "$tool" >/dev/null; then
        echo "flow export: no $tool (scripts/setup.sh installs it): skipped"
        exit 0
    fi
done

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
# shellcheck source=tests/support/nfcapd_collector.sh
source "$root/tests/support/nfcapd_collector.sh"
set +e +o pipefail # the runs' exit codes are looked at one by one

work=$(mktemp -d)
own_prefix=0
collector_pid=""
feeder_pid=""
cleanup() {
    [ -z "$feeder_pid" ] || kill "$feeder_pid" 2>/dev/null
    [ -z "$collector_pid" ] || kill "$collector_pid" 2>/dev/null
    [ "$own_prefix" -eq 0 ] || wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cp "$win_bin/BrisklaneCapture.exe" "$win_bin/packet.dll" "$work/"
printf '[main]\r\nidleseconds=1000000\r\n' >"$work/BrisklaneCapture.ini"
export WINEDEBUG=-all
unset DISPLAY # the console needs none
if [ -z "${WINEPREFIX:-}" ]; then
    brisklane_fresh_prefix "$work/prefix" || exit 1
    own_prefix=1
fi

calc() { awk "BEGIN { print $1 }"; }
now() { date +%s.%N; }
flows=$(sed -n 's/^flows=//p' "${large%.pcap}.totals.txt")
datagrams=$(sed -n 's/^packetCount=//p' "${large%.pcap}.totals.txt")

collector_start_or_exit() {
    collector_start "$work" || {
        echo "flow export: no collector" >&2
        exit 1
    }
}
# Stops nfcapd and reads its file back into $work/received.txt: "records datagrams sequence-errors".
collector_read() {
    collector_stop
    nfdump -R "$collector_flows" -q -o csv 2>/dev/null |
        awk -F, -v errors="${collector_sequence_errors:-?}" '{ n++; p += $12 } END { print n + 0, p + 0, errors }' \
            >"$work/received.txt"
}

console() { (cd "$work" && timeout --kill-after=10 120 wine BrisklaneCapture.exe --console "Z:$large" "$@"); }

least_received=""
most_received=""
summary=""
# Each round: nfcapd starts, a plain run that is not counted (nfcapd's start-up takes the processor for a
# moment), the run with export, and a plain run while nfcapd is up, as it is for the run with export. The
# machines are shared, so single runs vary by tens of milliseconds: the medians of 10 are compared, and the
# best of each shown beside.
rounds=10
plain_run() { # file for the time, or /dev/null
    local start end
    start=$(now)
    console >"$work/plain.csv" 2>"$work/plain.err"
    end=$(now)
    calc "$end - $start" >>"$1"
}
: >"$work/plain-times.txt"
: >"$work/export-times.txt"
for round in $(seq 1 $rounds); do
    collector_start_or_exit
    plain_run /dev/null
    start=$(now)
    console --ipfix "127.0.0.1:$collector_port" >"$work/export.csv" 2>"$work/export.err"
    status=$?
    end=$(now)
    plain_run "$work/plain-times.txt"
    collector_read
    read -r received delivered errors <"$work/received.txt"
    if [ "$status" -ne 0 ] || ! cmp -s "$work/plain.csv" "$work/export.csv"; then
        echo "flow export: the run with --ipfix failed or printed other flows (exit $status): $(cat "$work/export.err")" >&2
        exit 1
    fi
    calc "$end - $start" >>"$work/export-times.txt"
    if [ -z "$least_received" ] || [ "$received" -lt "$least_received" ]; then least_received=$received; fi
    if [ -z "$most_received" ] || [ "$received" -gt "$most_received" ]; then most_received=$received; fi
    summary=$(tr -d '\r' <"$work/export.err" | sed -n 's/^ipfix: //p' | tail -1)
    echo "  round $round: $(tail -1 "$work/plain-times.txt") s without export, $(tail -1 "$work/export-times.txt") s with;" \
        "nfcapd received $received records, $delivered datagrams, sequence errors $errors"
done

# softflowd 1.1.0 reading a file waits for a connection on its control socket before each 8,192 packets;
# a client that keeps asking for its statistics lets it run through (the time includes the asking).
softflowd_run() { # extra options
    collector_start_or_exit
    rm -f "$work/softflowd.ctl"
    python3 - "$work/softflowd.ctl" <<'PY' &
import socket, sys, time
while True:
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        s.connect(sys.argv[1])
        s.sendall(b"statistics\n")
        while s.recv(65536):
            pass
    except OSError:
        time.sleep(0.0005)
    finally:
        s.close()
PY
    feeder_pid=$!
    local start end
    start=$(now)
    timeout --kill-after=5 120 softflowd -d -r "$large" -n "127.0.0.1:$collector_port" -v 10 \
        -p "$work/softflowd.pid" -c "$work/softflowd.ctl" "$@" >"$work/softflowd.log" 2>&1
    end=$(now)
    kill "$feeder_pid" 2>/dev/null
    wait "$feeder_pid" 2>/dev/null
    feeder_pid=""
    collector_read
    echo "$(calc "$end - $start") $(cat "$work/received.txt")" >"$work/softflowd.txt"
}
softflowd_run
read -r sf_seconds sf_records sf_datagrams sf_errors <"$work/softflowd.txt"
softflowd_run -m 100000
read -r sfm_seconds sfm_records sfm_datagrams sfm_errors <"$work/softflowd.txt"

verdict() { [ "$1" = 1 ] && echo "met" || echo "NOT met"; }
median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
best() { sort -n "$1" | head -1; }
plain_median=$(median "$work/plain-times.txt")
export_median=$(median "$work/export-times.txt")
added=$(calc "($export_median - $plain_median) / $plain_median * 100")
added_best=$(calc "($(best "$work/export-times.txt") - $(best "$work/plain-times.txt")) / $(best "$work/plain-times.txt") * 100")
printf '\nflow export under Wine, %s (%s flows, %s datagrams), %s runs each\n' "$(basename "$large")" "$flows" \
    "$datagrams" "$rounds"
printf '  console run without export:            %7.3f s median, %.3f s best\n' "$plain_median" \
    "$(best "$work/plain-times.txt")"
printf '  console run with --ipfix to nfcapd:    %7.3f s median, %.3f s best  (%s)\n' "$export_median" \
    "$(best "$work/export-times.txt")" "$summary"
printf '  time added by the export:              %7.1f %% of the median run (target: at most 15%%: %s); best runs: %.1f %%\n' \
    "$added" "$(verdict "$(calc "$added <= 15")")" "$added_best"
# The rounds pair the runs in time, so the median of the differences within rounds is less moved by the
# machine's load changing between rounds: shown beside the verdict, which stays on the medians above.
paste "$work/export-times.txt" "$work/plain-times.txt" | awk '{ print ($1 - $2) * 1000 }' >"$work/round-differences.txt"
round_median=$(median "$work/round-differences.txt")
printf '  within a round, with less without:    %7.1f ms median (%.1f %% of the median run without)\n' "$round_median" \
    "$(calc "$round_median / ($plain_median * 1000) * 100")"
printf '  records nfcapd received, %2s runs:      %s to %s of %s  (all: %s)\n' "$rounds" "$least_received" "$most_received" \
    "$flows" "$(verdict "$(calc "$least_received == $flows")")"
# softflowd counts every IPv4 datagram of the file, also those whose header is not below their length, which
# the flow table leaves out: its figures are out of all the file's IPv4 datagrams.
ipv4_datagrams=$(sed -n 's/^frames_counted=//p' "${large%.pcap}.totals.txt")
printf 'softflowd 1.1.0 -v 10 on the same file, to nfcapd the same way\n'
printf '  default flow limit:  %7.3f s, %5s records, %6s of %s IPv4 datagrams delivered, %s sequence errors\n' \
    "$sf_seconds" "$sf_records" "$sf_datagrams" "$ipv4_datagrams" "$sf_errors"
printf '  -m 100000:           %7.3f s, %5s records, %6s of %s IPv4 datagrams delivered, %s sequence errors\n' \
    "$sfm_seconds" "$sfm_records" "$sfm_datagrams" "$ipv4_datagrams" "$sfm_errors"
