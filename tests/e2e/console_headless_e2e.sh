#!/usr/bin/env bash
# The console mode with no X server at all (no DISPLAY, in a fresh prefix that never had one): a file
# replay, and a capture read from a FIFO through Wine's Z: drive while its writer sends it in pieces, with
# pauses longer than the read time-out, one of them inside a record; both again with the capture converted
# to pcapng by editcap. All print the reference flows, totals and frame account; the FIFO's runs end when
# their writer closes it, and the packets they saved (classic pcap) read in tcpdump as the original.
#
#   console_headless_e2e.sh BIN_DIR DATA_DIR
set -u
source "$(dirname "$0")/../support/host_shell_support.sh"
BRISKLANE_DATA_DIR=$2
host_setup "$1"
writer_pid=""
trap '[ -z "$writer_pid" ] || kill "$writer_pid" 2>/dev/null; host_cleanup' EXIT

failures=0
check() { # what, expected file, actual file
    if cmp -s "$2" "$3"; then
        echo "ok: $1"
    else
        echo "FAIL: $1"
        diff "$2" "$3" | head -20
        failures=$((failures + 1))
    fi
}

name=eth-udp-afs-rx-icmp
capture="$BRISKLANE_DATA_DIR/pcap/$name.pcap"
host_reference "$name" >"$work/expected.csv"

host_console "Z:$capture" >"$work/file.csv" 2>"$work/file.err"
echo "file replay: exit $?, $(tr '\n' ' ' <"$work/file.err")"
check "a file replayed with no display gives the reference flows" "$work/expected.csv" "$work/file.csv"

# The writer holds the FIFO open for reading and writing, which never waits for a reader and keeps a writer
# there when the host opens it; the host sees the end when the writer closes it. The pieces end inside the
# file's header (pcapng: its section header) and inside its first record, with pauses longer than the read
# time-out between them.
stream_through_fifo() { # capture, what to call the run
    local fifo="$work/stream-$2"
    mkfifo "$fifo"
    python3 - "$1" "$fifo" >"$work/writer.log" 2>&1 <<'PY' &
import os, struct, sys, time
data = open(sys.argv[1], 'rb').read()
fd = os.open(sys.argv[2], os.O_RDWR)
print('open', flush=True)
if data[:4] == b'\x0a\x0d\x0d\x0a':  # pcapng: section header, interface, then the packet blocks
    order = '<' if data[8:12] == b'\x4d\x3c\x2b\x1a' else '>'
    header = struct.unpack_from(order + 'I', data, 4)[0]
    header += struct.unpack_from(order + 'I', data, header + 4)[0]
    first_piece, cut = 10, header + 30
else:  # the file header, then the records
    first_piece, cut = 24, 24 + 16 + int.from_bytes(data[24 + 8:24 + 12], 'little') + 30
for piece, pause in ((data[:first_piece], 0.3), (data[first_piece:cut], 1.3), (data[cut:cut + 4970], 1.3)):
    os.write(fd, piece)
    time.sleep(pause)  # longer than the read time-out: a pause is not the end
rest = data[cut + 4970:]
for at in range(0, len(rest), 60000):  # the host drains the FIFO as it goes
    os.write(fd, rest[at:at + 60000])
os.close(fd)
print('closed', flush=True)
PY
    writer_pid=$!
    for _ in $(seq 1 100); do
        grep -q open "$work/writer.log" && break
        sleep 0.05
    done
    host_console "Z:$fifo" --pcap-out "Z:$work/saved-$2.pcap" >"$work/fifo-$2.csv" 2>"$work/fifo-$2.err"
    echo "FIFO ($2): exit $?, $(tr '\n' ' ' <"$work/fifo-$2.err"), writer: $(tr '\n' ' ' <"$work/writer.log")"
    wait "$writer_pid"
    writer_pid=""
    check "a FIFO ($2) written in pieces gives the reference flows and ends with its writer" "$work/expected.csv" \
        "$work/fifo-$2.csv"
    tcpdump -r "$work/saved-$2.pcap" -tt -nn -e -xx >"$work/saved-$2.txt" 2>"$work/saved-$2.err"
    check "tcpdump reads the packets saved from the FIFO ($2) as the original" "$work/original.txt" \
        "$work/saved-$2.txt"
    grep -q "link-type EN10MB" "$work/saved-$2.err" || {
        echo "FAIL: the saved file's link type: $(cat "$work/saved-$2.err")"
        failures=$((failures + 1))
    }
}

tcpdump -r "$capture" -tt -nn -e -xx >"$work/original.txt" 2>/dev/null
stream_through_fifo "$capture" pcap

converted="$work/$name.pcapng"
editcap -F pcapng "$capture" "$converted" || { echo "FAIL: editcap could not convert $capture"; exit 1; }
host_console "Z:$converted" >"$work/pcapng.csv" 2>"$work/pcapng.err"
echo "pcapng replay: exit $?, $(tr '\n' ' ' <"$work/pcapng.err")"
check "the capture converted to pcapng gives the reference flows" "$work/expected.csv" "$work/pcapng.csv"
stream_through_fifo "$converted" pcapng

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
