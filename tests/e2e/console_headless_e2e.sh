#!/usr/bin/env bash
# The console mode with no X server at all (no DISPLAY, in a fresh prefix that never had one): a file
# replay, and a capture read from a FIFO through Wine's Z: drive while its writer sends it in pieces, with
# pauses longer than the read time-out, one of them inside a record. Both print the reference flows; the
# FIFO's run ends when its writer closes it, and the packets it saved read in tcpdump as the original.
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
# there when the host opens it; the host sees the end when the writer closes it.
fifo="$work/stream.pcap"
mkfifo "$fifo"
python3 - "$capture" "$fifo" >"$work/writer.log" 2>&1 <<'PY' &
import os, sys, time
data = open(sys.argv[1], 'rb').read()
fd = os.open(sys.argv[2], os.O_RDWR)
print('open', flush=True)
first = 24 + 16 + int.from_bytes(data[24 + 8:24 + 12], 'little')
for piece, pause in ((data[:24], 0.3), (data[24:first + 30], 1.3), (data[first + 30:first + 5000], 1.3)):
    os.write(fd, piece)
    time.sleep(pause)  # longer than the read time-out: a pause is not the end
rest = data[first + 5000:]
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
host_console "Z:$fifo" --pcap-out "Z:$work/saved.pcap" >"$work/fifo.csv" 2>"$work/fifo.err"
echo "FIFO: exit $?, $(tr '\n' ' ' <"$work/fifo.err"), writer: $(tr '\n' ' ' <"$work/writer.log")"
wait "$writer_pid"
writer_pid=""
check "a FIFO written in pieces gives the reference flows and ends with its writer" "$work/expected.csv" \
    "$work/fifo.csv"

tcpdump -r "$capture" -tt -nn -e -xx >"$work/original.txt" 2>/dev/null
tcpdump -r "$work/saved.pcap" -tt -nn -e -xx >"$work/saved.txt" 2>"$work/saved.err"
check "tcpdump reads the saved packets as the original" "$work/original.txt" "$work/saved.txt"
grep -q "link-type EN10MB" "$work/saved.err" || {
    echo "FAIL: the saved file's link type: $(cat "$work/saved.err")"
    failures=$((failures + 1))
}

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
