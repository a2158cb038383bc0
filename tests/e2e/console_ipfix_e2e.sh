#!/usr/bin/env bash
# The console's --ipfix against nfcapd, a collector people run, on loopback with its default settings:
# every real capture (but the large one, which the benchmark takes) read back with nfdump gives, per key
# a collector sees, the packets and octets of the reference flows and their totals, with no sequence error;
# a capture made here whose flows last longer than the active time-out gives a record per minute of each;
# a collector that is absent is said once and the capture goes on; a collector that cannot be found, a bad
# port and a missing value are refused before anything starts.
#
#   console_ipfix_e2e.sh BIN_DIR DATA_DIR
set -u
source "$(dirname "$0")/../support/host_shell_support.sh"
# shellcheck source=tests/support/nfcapd_collector.sh
source "$(dirname "$0")/../support/nfcapd_collector.sh"
BRISKLANE_DATA_DIR=$2
for tool in nfcapd nfdump ss; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: no $tool (scripts/setup.sh installs nfdump and iproute2)"
        exit 77
    fi
done
host_setup "$1"
collector_pid=""
trap '[ -z "$collector_pid" ] || kill "$collector_pid" 2>/dev/null; host_cleanup' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Stops nfcapd and reads its file back into $work/records.txt, one record a line:
# first|last|src|dst|sport|dport|proto|packets|bytes (times in UTC).
collector_read() {
    collector_stop
    TZ=UTC nfdump -R "$collector_flows" -q -N -o 'fmt:%ts|%te|%sa|%da|%sp|%dp|%pr|%pkt|%byt' 2>/dev/null |
        grep '|' | sed 's/ *| */|/g; s/^ *//; s/ *$//' >"$work/records.txt"
}

# Compares the records nfdump read with a capture's reference flows: per key a collector sees (ICMP flows
# of one type and code add up, their checksum word is not exported), and in total. Prints what differs.
compare_with_reference() { # name
    python3 - "$work/records.txt" "$BRISKLANE_DATA_DIR/pcap/$1" <<'PY'
import sys
from collections import defaultdict
records, base = sys.argv[1], sys.argv[2]
got, want = defaultdict(lambda: [0, 0]), defaultdict(lambda: [0, 0])
count = 0
for line in open(records):
    first, last, src, dst, sport, dport, proto, packets, octets = line.strip().split('|')
    got[(src, dst, sport, dport, proto)][0] += int(packets)
    got[(src, dst, sport, dport, proto)][1] += int(octets)
    count += 1
flows = 0
for line in list(open(base + '.flows.csv'))[1:]:
    src, dst, word1, word2, proto, packets, octets = line.strip().split(',')[:7]
    word1, word2 = int(word1), int(word2)
    if proto in ('6', '17', '132'):
        key = (src, dst, str(word1), str(word2), proto)
    elif proto == '1':  # nfdump shows the ICMP type and code as the destination port, "type.code"
        key = (src, dst, '0', '%d.%d' % (word1 >> 8, word1 & 255), proto)
    else:
        key = (src, dst, '0', '0', proto)
    want[key][0] += int(packets)
    want[key][1] += int(octets)
    flows += 1
totals = dict(line.strip().split('=') for line in open(base + '.totals.txt'))
problems = []
for key in sorted(set(got) | set(want)):
    if got.get(key) != want.get(key):
        problems.append('%s: nfdump %s, reference %s' % ('|'.join(key), got.get(key), want.get(key)))
packets = sum(v[0] for v in got.values())
octets = sum(v[1] for v in got.values())
if packets != int(totals['packetCount']):
    problems.append('packets %d, packetCount %s' % (packets, totals['packetCount']))
if octets != sum(v[1] for v in want.values()):
    problems.append('octets %d, reference flows %d' % (octets, sum(v[1] for v in want.values())))
if count < len(want) or (count == 0) != (flows == 0):
    problems.append('%d records for %d flows' % (count, flows))
print('\n'.join(problems[:10]))
print('%d records, %d packets, %d octets for %d flows' % (count, packets, octets, flows), file=sys.stderr)
PY
}

# 1. Every real capture but the large one, each to an nfcapd of its own.
captures=$(sed -n 's/.*[ *]\(.*\)\.pcap$/\1/p' "$BRISKLANE_DATA_DIR/pcap/SHA256SUMS" | grep -v '^eth-tcp-bulk-large$')
for name in $captures; do
    collector_start "$work" || fail "no collector"
    host_console "Z:$BRISKLANE_DATA_DIR/pcap/$name.pcap" --ipfix "127.0.0.1:$collector_port" >"$work/out.csv" 2>"$work/err.txt"
    status=$?
    collector_read
    host_reference "$name" >"$work/expected.csv"
    differences=$(compare_with_reference "$name" 2>"$work/figures.txt")
    sent=$(tr -d '\r' <"$work/err.txt" | sed -n 's/^ipfix: \([0-9]*\) flow records sent to .*/\1/p')
    if [ "$status" -ne 0 ] || ! cmp -s "$work/expected.csv" "$work/out.csv"; then
        fail "$name: exit $status, or the console's flows differ from the reference: $(cat "$work/err.txt")"
    elif [ -n "$differences" ]; then
        fail "$name: nfdump's records differ from the reference flows:"
        echo "$differences"
    elif [ "$sent" != "$(wc -l <"$work/records.txt")" ] || [ "${collector_sequence_errors:-?}" != 0 ]; then
        fail "$name: the console sent \"$sent\" records, nfcapd stored $(wc -l <"$work/records.txt"), with ${collector_sequence_errors:-?} sequence errors"
    else
        echo "ok: $name: $(cat "$work/figures.txt"), as the reference"
    fi
done

# 2. Flows longer than the active time-out, in capture time (the file replays at once): a UDP flow with a
# datagram every 10 s from 0 to 150 s, and a TCP flow with two datagrams a minute apart.
python3 - "$work/long.pcap" <<'PY'
import struct, sys
def datagram(protocol, length, src, dst, sport, dport):
    header = struct.pack('!BBHHHBBH4s4s', 0x45, 0, length, 0, 0, 64, protocol, 0, bytes(src), bytes(dst))
    return header + struct.pack('!HH', sport, dport) + bytes(length - 24)
start = 1700000000
frames = [(start + 10 * i, 250000, datagram(17, 100, [10, 9, 0, 1], [10, 9, 0, 2], 40000, 53)) for i in range(16)]
frames += [(start + t, 0, datagram(6, 1000, [10, 9, 0, 2], [10, 9, 0, 1], 80, 40001)) for t in (5, 65)]
frames.sort(key=lambda frame: frame[:2])
with open(sys.argv[1], 'wb') as out:
    out.write(struct.pack('<IHHiIII', 0xa1b2c3d4, 2, 4, 0, 0, 65535, 1))
    for seconds, micros, ip in frames:
        frame = bytes(12) + b'\x08\x00' + ip
        out.write(struct.pack('<IIII', seconds, micros, len(frame), len(frame)) + frame)
PY
cat >"$work/long-expected.txt" <<'EOF2'
2023-11-14 22:13:20.250|2023-11-14 22:14:10.250|10.9.0.1|10.9.0.2|40000|53|17|6|600
2023-11-14 22:13:25.000|2023-11-14 22:13:25.000|10.9.0.2|10.9.0.1|80|40001|6|1|1000
2023-11-14 22:14:20.250|2023-11-14 22:15:10.250|10.9.0.1|10.9.0.2|40000|53|17|6|600
2023-11-14 22:14:25.000|2023-11-14 22:14:25.000|10.9.0.2|10.9.0.1|80|40001|6|1|1000
2023-11-14 22:15:20.250|2023-11-14 22:15:50.250|10.9.0.1|10.9.0.2|40000|53|17|4|400
EOF2
collector_start "$work" || fail "no collector"
host_console "Z:$work/long.pcap" --ipfix "127.0.0.1:$collector_port" >"$work/out.csv" 2>"$work/err.txt"
collector_read
sort "$work/records.txt" >"$work/long-got.txt"
if cmp -s "$work/long-expected.txt" "$work/long-got.txt"; then
    echo "ok: flows longer than the active time-out give a record a minute, which add up to their rows"
else
    fail "the records of flows longer than the active time-out"
    diff "$work/long-expected.txt" "$work/long-got.txt"
fi

# 3. No collector on the port: the capture runs as ever, and the console says so once.
absent=$(free_udp_port)
capture="Z:$BRISKLANE_DATA_DIR/pcap/eth-mixed-http-dns-udp-icmp.pcap"
host_console "$capture" --ipfix "127.0.0.1:$absent" >"$work/out.csv" 2>"$work/err.txt"
status=$?
host_reference eth-mixed-http-dns-udp-icmp >"$work/expected.csv"
said=$(grep -c "^ipfix: No collector answers at 127.0.0.1:$absent (port unreachable)" "$work/err.txt")
if [ "$status" -eq 0 ] && cmp -s "$work/expected.csv" "$work/out.csv" && [ "$said" -eq 1 ]; then
    echo "ok: an absent collector is said once, and the capture goes on: $(tr '\r\n' '  ' <"$work/err.txt")"
else
    fail "absent collector: exit $status, said $said times: $(cat "$work/err.txt")"
fi

# 4. What cannot work is refused at the start: no capture, no flows printed, exit 1.
long_label=$(printf 'a%.0s' $(seq 1 64)) # a DNS label has at most 63 bytes: no lookup leaves the machine
refusals=(
    "$long_label.invalid:4739|Error: The collector \"$long_label.invalid\" cannot be found"
    "127.0.0.1:0|--ipfix: the collector is HOST:PORT (a port from 1 to 65535), not \"127.0.0.1:0\""
    "127.0.0.1:65536|--ipfix: the collector is HOST:PORT (a port from 1 to 65535), not \"127.0.0.1:65536\""
    "127.0.0.1|--ipfix: the collector is HOST:PORT (a port from 1 to 65535), not \"127.0.0.1\""
    "|--ipfix needs a collector, HOST:PORT"
)
for refusal in "${refusals[@]}"; do
    value=${refusal%%|*}
    expected=${refusal#*|}
    if [ -n "$value" ]; then
        host_console "$capture" --ipfix "$value" >"$work/out.csv" 2>"$work/err.txt"
    else
        host_console "$capture" --ipfix >"$work/out.csv" 2>"$work/err.txt"
    fi
    status=$?
    if [ "$status" -eq 1 ] && [ ! -s "$work/out.csv" ] && tr -d '\r' <"$work/err.txt" | grep -qF -- "$expected"; then
        echo "ok: --ipfix ${value:-(nothing)}: $(head -1 "$work/err.txt" | tr -d '\r')"
    else
        fail "--ipfix ${value:-(nothing)}: exit $status: $(cat "$work/err.txt")"
    fi
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
