#!/usr/bin/env bash
# The console mode with no X server at all (no DISPLAY, in a fresh prefix that never had one): a file
# replay, and a capture read from a FIFO through Wine's Z: drive while its writer sends it in pieces, with
# pauses longer than the read time-out, one of them inside a record; both again with the capture converted
# to pcapng by editcap. All print the reference flows, totals and frame account; the FIFO's runs end when
# their writer closes it, say the drops their writer reported, and the packets they saved (classic pcap)
# read in tcpdump as the original. A stream whose writer stays: Ctrl+C (SIGINT) ends the capture as the end
# of the data would, and a capture killed outright has saved every packet already. Output that cannot be
# written is said, with exit code 4.
#
#   console_headless_e2e.sh BIN_DIR DATA_DIR
set -u
source "$(dirname "$0")/../support/host_shell_support.sh"
BRISKLANE_DATA_DIR=$2
host_setup "$1"
writer_pid=""
host_pid=""
trap '[ -z "$writer_pid" ] || kill "$writer_pid" 2>/dev/null; [ -z "$host_pid" ] || kill "$host_pid" 2>/dev/null
host_cleanup' EXIT

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
    # The stream's writer reports its drops as tcpdump does, in the file named by BRISKLANE_CAPTURE_STATS.
    printf '12 packets received by filter\n3 packets dropped by kernel\n' >"$work/stats.log"
    BRISKLANE_CAPTURE_STATS="Z:$work/stats.log" host_console "Z:$fifo" --pcap-out "Z:$work/saved-$2.pcap" \
        >"$work/fifo-$2.csv" 2>"$work/fifo-$2.err"
    echo "FIFO ($2): exit $?, $(tr '\n' ' ' <"$work/fifo-$2.err"), writer: $(tr '\n' ' ' <"$work/writer.log")"
    wait "$writer_pid"
    writer_pid=""
    sed '$ s/.*/Dropped: 3/' "$work/expected.csv" >"$work/expected-fifo.csv"
    check "a FIFO ($2) written in pieces gives the reference flows, ends with its writer and says its drops" \
        "$work/expected-fifo.csv" "$work/fifo-$2.csv"
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

# A stream whose writer never closes it, as a live capture's: the whole capture in, then the writer waits.
# Started as a job of its own (monitor mode), the host does not ignore SIGINT as a script's background
# command would.
set -m
streaming() { # stream name: starts a writer and a capture with --pcap-out; sets host_pid and writer_pid
    mkfifo "$work/$1.fifo"
    python3 -c "import os, sys, time
fd = os.open(sys.argv[2], os.O_RDWR)
os.write(fd, open(sys.argv[1], 'rb').read())
print('open', flush=True)
time.sleep(120)" "$capture" "$work/$1.fifo" >"$work/$1.writer" &
    writer_pid=$!
    for _ in $(seq 1 100); do
        grep -q open "$work/$1.writer" && break
        sleep 0.05
    done
    host_console "Z:$work/$1.fifo" --pcap-out "Z:$work/$1.pcap" >"$work/$1.csv" 2>"$work/$1.err" &
    host_pid=$!
    # Everything received is in the file within a fraction of a second, although the capture goes on.
    for _ in $(seq 1 200); do
        [ "$(stat -c %s "$work/$1.pcap" 2>/dev/null)" = "$(stat -c %s "$capture")" ] && return 0
        sleep 0.05
    done
    echo "FAIL: $1: the saved file holds $(stat -c %s "$work/$1.pcap" 2>/dev/null) of $(stat -c %s "$capture") bytes"
    failures=$((failures + 1))
}
saved_as_original() { # what, saved file
    tcpdump -r "$2" -tt -nn -e -xx >"$work/saved.txt" 2>/dev/null
    check "$1" "$work/original.txt" "$work/saved.txt"
}

# The host itself, not the job that runs it under its time limit.
host_process() { pgrep -f "^[^ ]*BrisklaneCapture.exe --console Z:$work/$1.fifo"; }

streaming interrupted
kill -INT "$(host_process interrupted)"
wait "$host_pid"
echo "Ctrl+C: exit $?, $(tr '\n' ' ' <"$work/interrupted.err")"
kill "$writer_pid"
sed '$ s/.*/Dropped: not measured/' "$work/expected.csv" >"$work/expected-stream.csv"
check "Ctrl+C ends a stream's capture with its flows printed" "$work/expected-stream.csv" "$work/interrupted.csv"
saved_as_original "Ctrl+C leaves the saved packets complete" "$work/interrupted.pcap"

streaming killed
kill -KILL "$(host_process killed)"
wait "$host_pid"
kill "$writer_pid"
writer_pid=""
saved_as_original "a capture killed outright has saved every packet it received" "$work/killed.pcap"
set +m

host_console "Z:$capture" >/dev/full 2>"$work/full.err"
status=$?
if [ "$status" -eq 4 ] && grep -q "could not be written to the standard output" "$work/full.err"; then
    echo "ok: output that cannot be written is said, with exit code 4"
else
    echo "FAIL: output to a full disk: exit $status, $(cat "$work/full.err")"
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
