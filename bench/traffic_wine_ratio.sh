#!/usr/bin/env bash
# The capture host as a person runs it, against tcpdump in the same run: the whole process of a console run
# under Wine, from start to exit (no display at all), on the large shared capture against the native
# `tcpdump -nn -q -r` on the same file, and on a capture of 8 frames. Then the program path: the console
# says, with --timing, when it counted the last datagram; that time is compared with the native pipeline
# benchmark's best time on the same file.
#
#   traffic_wine_ratio.sh [WIN64_BIN_DIR [NATIVE_BENCH]]
# Defaults: the win64 build beside this bench build, and traffic_pipeline_bench beside this script.
set -u
here=$(cd "$(dirname "$0")" && pwd)
win_bin=${1:-$here/../../win64/bin}
native=${2:-$here/traffic_pipeline_bench}
data=$(cd "$here" && sed -n 's/^BRISKLANE_DATA_DIR:PATH=//p' ../CMakeCache.txt 2>/dev/null)
data=${data:-/work/shared/data}
large="$data/pcap/eth-tcp-bulk-large.pcap"
small="$data/pcap/eth-icmp-echo.pcap"

if [ ! -f "$win_bin/BrisklaneCapture.exe" ] || [ ! -f "$win_bin/packet.dll" ] || ! command -v wine >/dev/null; then
    echo "traffic under Wine: no win64 build at $win_bin (or no wine): skipped"
    exit 0
fi
if ! command -v tcpdump >/dev/null; then
    echo "traffic under Wine: no tcpdump to compare with: skipped"
    exit 0
fi

work=$(mktemp -d)
own_prefix=0
cleanup() {
    [ "$own_prefix" -eq 0 ] || wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cp "$win_bin/BrisklaneCapture.exe" "$win_bin/packet.dll" "$work/"
printf '[main]\r\nidleseconds=1000000\r\n' >"$work/BrisklaneCapture.ini"
unset DISPLAY # the console mode needs none
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
    # A prefix of its own, removed with the rest.
    export WINEPREFIX="$work/prefix"
    own_prefix=1
    wineboot -i >/dev/null 2>&1 || true
fi

calc() { awk "BEGIN { print $1 }"; }
now() { date +%s.%N; }

# Best of five wall times of a command, in seconds; the command's output goes to $work/out.txt, and the
# best time the host reported with --timing (if it did) to $work/counted.txt. The runs follow each other
# closely, so Wine's server for the prefix, started by the first, stays up for the rest, as it does between
# the Wine programs of a session.
best_of() {
    local best="" counted="" i start end seconds reported
    for i in 1 2 3 4 5; do
        start=$(now)
        "$@" >"$work/out.txt" 2>"$work/err.txt"
        end=$(now)
        seconds=$(calc "$end - $start")
        if [ -z "$best" ] || [ "$(calc "$seconds < $best")" = 1 ]; then best=$seconds; fi
        reported=$(sed -n 's/^capture: the last datagram was counted \([0-9.]*\) s.*/\1/p' "$work/err.txt" | tr -d '\r')
        if [ -n "$reported" ] && { [ -z "$counted" ] || [ "$(calc "$reported < $counted")" = 1 ]; }; then
            counted=$reported
        fi
    done
    echo "$counted" >"$work/counted.txt"
    echo "$best"
}

console() { (cd "$work" && wine BrisklaneCapture.exe --console "Z:$1" "${@:2}"); }
wrong_option() { (cd "$work" && wine BrisklaneCapture.exe --no-such-option); }
# Checks the totals line of the last console run against the capture's reference totals.
check_totals() { # capture
    local base=${1%.pcap} expected
    expected="All packets: $(sed -n 's/^packetCount=//p' "$base.totals.txt")     Total bytes: $(sed -n 's/^totalBytes=//p' "$base.totals.txt")"
    if [ "$(tail -1 "$work/out.txt" | tr -d '\r')" != "$expected" ]; then
        echo "traffic under Wine: unexpected output for $1: $(tail -1 "$work/out.txt") $(cat "$work/err.txt")" >&2
        exit 1
    fi
}

small_seconds=$(best_of console "$small")
check_totals "$small"
floor_seconds=$(best_of wrong_option)
large_seconds=$(best_of console "$large" --timing)
check_totals "$large"
counted_seconds=$(cat "$work/counted.txt")
[ -n "$counted_seconds" ] || { echo "traffic under Wine: no timing from the host: $(cat "$work/err.txt")" >&2; exit 1; }
tcpdump_seconds=$(best_of tcpdump -nn -q -r "$large")
native_seconds=$("$native" --seconds-only) || { echo "traffic under Wine: the native benchmark failed" >&2; exit 1; }
datagrams=$(sed -n 's/^packetCount=//p' "${large%.pcap}.totals.txt")
verdict() { [ "$(calc "$1 < $2")" = 1 ] && echo "met" || echo "NOT met"; }

printf '\nwhole process under Wine, start to exit, no display (best of 5)\n'
printf '  console run, %-25s %7.3f s\n' "$(basename "$large"):" "$large_seconds"
printf '  tcpdump -nn -q -r, same file (native): %7.3f s\n' "$tcpdump_seconds"
printf '  ratio tcpdump / console:               %7.1f    (target above 1: %s)\n' \
    "$(calc "$tcpdump_seconds / $large_seconds")" "$(verdict "$large_seconds" "$tcpdump_seconds")"
printf '  console run, %-25s %7.3f s  (8 frames; target under 0.5 s: %s)\n' "$(basename "$small"):" \
    "$small_seconds" "$(verdict "$small_seconds" 0.5)"
printf '  start and exit alone (wrong option):   %7.3f s\n' "$floor_seconds"
printf 'the program path inside the process (engine, stand-in, flow table; the console has no list view)\n'
printf '  start to the last datagram counted:    %7.3f s  %12.0f datagrams/s\n' "$counted_seconds" \
    "$(calc "$datagrams / ($counted_seconds > 0.0001 ? $counted_seconds : 0.0001)")"
printf '  native portable path (benchmark):      %7.3f s\n' "$native_seconds"
printf '  ratio (Wine program path / native):    %7.1f    (target: at most 3)\n' \
    "$(calc "$counted_seconds / $native_seconds")"
