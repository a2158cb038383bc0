#!/usr/bin/env bash
# Watches live traffic with the capture host. tcpdump (libpcap, the capture engine on Linux) captures on the
# interface and writes a classic pcap stream into a FIFO, which the host reads under Wine as its adapter.
# By default the host's window shows the flows as they come (on a virtual display when there is none);
# with --console the flows are printed when the capture ends: at Ctrl+C, or after --seconds N. Words after
# the options are a capture filter, passed to tcpdump as it takes them. Installs what is missing and builds
# the 64-bit program first.
#
#   scripts/live.sh INTERFACE [--console] [--seconds N] [--pcap-out FILE] [--buffer MB] [EXPRESSION...]
#
# tcpdump hands over packets in blocks (at least once a second) from a kernel buffer of --buffer MB
# (default 32), rather than waking for every packet: a burst of small datagrams is kept instead of
# dropped, and a new flow shows up to about a second later. What the kernel dropped all the same is shown
# by the host: tcpdump reports its counts into a file that the host reads (it is asked for them once a
# second), and the host says "not measured" until then.
#
# Capturing needs root or the CAP_NET_RAW capability (e.g. sudo scripts/live.sh eth0 --console).
# BRISKLANE_BIN_DIR=FOLDER uses the programs already built there instead of building. Nothing is written
# into the checkout outside the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRISKLANE_BUILD_DIR:-$root/build}

usage() {
    echo "usage: scripts/live.sh INTERFACE [--console] [--seconds N] [--pcap-out FILE] [--buffer MB] [EXPRESSION...]" >&2
    exit 1
}
interface=""
console=0
seconds=""
pcap_out=""
buffer_mb=32
filter=()
while [ $# -gt 0 ]; do
    case "$1" in
    --console) console=1 ;;
    --seconds | --buffer)
        [ $# -ge 2 ] && [[ "$2" =~ ^[1-9][0-9]{0,5}$ ]] || usage
        if [ "$1" = --seconds ]; then seconds=$2; else buffer_mb=$2; fi
        shift
        ;;
    --pcap-out)
        [ $# -ge 2 ] && [ -n "$2" ] || usage
        pcap_out=$(realpath -m -- "$2")
        shift
        ;;
    --)
        [ -n "$interface" ] || usage
        shift
        filter=("$@")
        break
        ;;
    -*) usage ;;
    *)
        if [ -z "$interface" ]; then
            interface=$1
        else
            # The first word after the interface that is not an option starts the capture filter; the rest
            # of the line is the filter, as tcpdump takes it.
            filter=("$@")
            break
        fi
        ;;
    esac
    shift
done
[ -n "$interface" ] || usage

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
brisklane_install_missing

bin=${BRISKLANE_BIN_DIR:-}
if [ -z "$bin" ]; then
    echo "live: building the 64-bit capture host" >&2
    mkdir -p "$build"
    cmake -S "$root" -B "$build/win64" -G Ninja -DBRISKLANE_CONFIG=win64 >"$build/live-configure.log" 2>&1 ||
        { cat "$build/live-configure.log" >&2; exit 1; }
    ninja -C "$build/win64" BrisklaneCapture packet >"$build/live-build.log" 2>&1 ||
        { tail -40 "$build/live-build.log" >&2; exit 1; }
    bin="$build/win64/bin"
fi

work=""
tcpdump_pid=""
host_pid=""
asker_pid=""
timer_pid=""
window_closed_here=0
cleanup() {
    [ -z "$asker_pid" ] || kill "$asker_pid" 2>/dev/null || true
    [ -z "$timer_pid" ] || kill "$timer_pid" 2>/dev/null || true
    [ -z "$tcpdump_pid" ] || kill "$tcpdump_pid" 2>/dev/null || true
    [ -z "$host_pid" ] || kill "$host_pid" 2>/dev/null || true
    if [ -n "${BRISKLANE_XVFB_PID:-}" ]; then
        wineserver -k 2>/dev/null || true # Wine's processes on the virtual display go before it does
        kill "$BRISKLANE_XVFB_PID" 2>/dev/null || true
    fi
    [ -z "$work" ] || rm -rf "$work"
}
trap cleanup EXIT
# Ctrl+C (or a TERM) ends the capture: tcpdump stops and the stream ends, so the console prints what it has;
# the window, which nobody may be able to close (on a virtual display), ends too. Both run in sessions of
# their own, so that the terminal's Ctrl+C reaches only this script.
stop_capture() {
    [ -z "$tcpdump_pid" ] || drain_and_stop_tcpdump
    if [ "$console" -eq 0 ] && [ -n "$host_pid" ]; then
        window_closed_here=1
        kill -TERM "$host_pid" 2>/dev/null || true
    fi
}
trap stop_capture INT TERM
# The last count of a kind in tcpdump's log (a count a line when it ends, all on one line on SIGUSR1).
reported() { grep -oE "[0-9]+ packets? $1" "$work/tcpdump.log" | tail -1 | cut -d' ' -f1; }
# tcpdump hands over what its kernel buffer holds in blocks, a block at the latest a second after its first
# packet came: a tcpdump ended at once would take up to a second of packets with it. So it ends only once
# it has handed over every packet its filter had taken when the stop came, or after 3 s at most.
drain_and_stop_tcpdump() {
    local taken dropped captured
    if kill -USR1 "$tcpdump_pid" 2>/dev/null; then
        sleep 0.1
        taken=$(reported "received by filter")
        dropped=$(reported "dropped by kernel")
        for _ in $(seq 1 30); do
            kill -USR1 "$tcpdump_pid" 2>/dev/null || break
            sleep 0.1
            captured=$(reported captured)
            [ "${captured:-0}" -ge $((${taken:-0} - ${dropped:-0})) ] && break
        done
    fi
    kill -TERM "$tcpdump_pid" 2>/dev/null || true
}

# The window needs a display (a virtual one when there is none); the console mode needs none at all.
headless=0
if [ "$console" -eq 0 ] && [ -z "${DISPLAY:-}" ]; then
    headless=1
    brisklane_start_display
    echo "live: no display; the window runs on the virtual display $DISPLAY (--console prints the flows)" >&2
fi

# The host's own prefix, as scripts/run.sh keeps it.
export WINEPREFIX=${WINEPREFIX:-$build/wine-run} WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "live: preparing the Wine prefix $WINEPREFIX" >&2
    brisklane_prepare_prefix
fi
if [ "$console" -eq 0 ]; then
    [ -f "$WINEPREFIX/drive_c/windows/Fonts/tahoma.ttf" ] || brisklane_prefix_look
    if [ "$headless" -eq 0 ]; then brisklane_prefix_window_manager yes; else brisklane_prefix_window_manager no; fi
fi

work=$(mktemp -d /tmp/brisklane-live.XXXXXX)
fifo="$work/stream.pcap"
mkfifo "$fifo"

# tcpdump opens the FIFO for writing only once a reader is there; the descriptor 3 it is given, open for
# reading and writing, is that reader, so tcpdump never waits for the host and the stream waits in the FIFO
# until the host reads it. When tcpdump ends, the last writing end closes: the host sees the stream end.
# Its standard error is the statistics file the host reads (its counts are written there before it exits).
setsid sh -c 'echo $$ >"$1"; shift; exec "$@"' sh "$work/tcpdump.pid" \
    tcpdump -i "$interface" -U -B $((buffer_mb * 1024)) -w "$fifo" "${filter[@]}" 3<>"$fifo" 2>"$work/tcpdump.log" &
for _ in $(seq 1 200); do
    [ -s "$work/tcpdump.pid" ] && grep -q "listening on" "$work/tcpdump.log" && break
    [ -s "$work/tcpdump.pid" ] && ! kill -0 "$(cat "$work/tcpdump.pid")" 2>/dev/null && break
    sleep 0.05
done
tcpdump_pid=$(cat "$work/tcpdump.pid" 2>/dev/null || true)
if ! grep -q "listening on" "$work/tcpdump.log"; then
    [ -z "$tcpdump_pid" ] || kill "$tcpdump_pid" 2>/dev/null || true
    tcpdump_pid=""
    said=$(tr '\n' ' ' <"$work/tcpdump.log")
    if grep -qiE "permission|not permitted" "$work/tcpdump.log"; then
        echo "live: capturing on $interface needs root or the CAP_NET_RAW capability ($said)" >&2
    else
        echo "live: tcpdump cannot capture on $interface: ${said:-it did not start}" >&2
    fi
    exit 1
fi
echo "live: tcpdump captures on $interface${filter[*]:+ (${filter[*]})} into $fifo, kernel buffer $buffer_mb MB" >&2
# tcpdump writes its counts on SIGUSR1: once a second, so that the window's drop count keeps up.
(while kill -USR1 "$tcpdump_pid" 2>/dev/null; do sleep 1; done) &
asker_pid=$!
if [ -n "$seconds" ]; then
    (sleep "$seconds" && kill -TERM $$ 2>/dev/null) & # the end comes as Ctrl+C's does
    timer_pid=$!
fi

export BRISKLANE_CAPTURE_STATS="Z:$work/tcpdump.log"
host_args=("Z:$fifo")
[ -z "$pcap_out" ] || host_args+=(--pcap-out "Z:$pcap_out")
if [ "$console" -eq 1 ]; then
    echo "live: the flows are printed when the capture ends (Ctrl+C${seconds:+, or after $seconds s})" >&2
    setsid wine "$bin/BrisklaneCapture.exe" --console "${host_args[@]}" &
else
    echo "live: the window shows the flows; close it, or press Ctrl+C here, to end" >&2
    setsid wine "$bin/BrisklaneCapture.exe" "${host_args[@]}" --start &
fi
host_pid=$!

# wait returns early when a trapped signal arrives; the host then goes on to the end of the stream.
status=0
while :; do
    wait "$host_pid" && status=0 || status=$?
    kill -0 "$host_pid" 2>/dev/null || break
done
host_pid=""
[ "$window_closed_here" -eq 0 ] || status=0
# The window may have been closed while tcpdump still captures.
stop_capture
for _ in $(seq 1 100); do
    kill -0 "$tcpdump_pid" 2>/dev/null || break
    sleep 0.05
done
tcpdump_pid=""
# tcpdump's last counts (the last report in its log is the one it wrote when it ended).
grep -E "packets? (captured|received by filter|dropped by kernel)" "$work/tcpdump.log" | tail -3 |
    sed 's/^/live: tcpdump: /' >&2 || true
exit "$status"
