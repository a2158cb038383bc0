#!/usr/bin/env bash
# The whole program path under Wine against the portable path natively: the capture host's console mode
# (real owner-data list view and status window, packet.dll stand-in, capture thread) replays the large
# shared capture as fast as possible and says, with --timing, when it counted the last datagram (the
# list refreshed along the way); that time, best of five runs, is compared with the native pipeline
# benchmark's best time on the same file. Start-up, the final idle second and exit are not part of either.
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

if [ ! -f "$win_bin/BrisklaneCapture.exe" ] || [ ! -f "$win_bin/packet.dll" ] || ! command -v wine >/dev/null; then
    echo "traffic under Wine: no win64 build at $win_bin (or no wine): skipped"
    exit 0
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "traffic under Wine: no display: skipped"
    exit 0
fi

work=$(mktemp -d)
trap '[ "${WINEPREFIX:-}" = "$work/prefix" ] && wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
cp "$win_bin/BrisklaneCapture.exe" "$win_bin/packet.dll" "$work/"
printf '[main]\r\nidleseconds=1000000\r\n' > "$work/BrisklaneCapture.ini"
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
    # A prefix of its own, removed with the rest.
    export WINEPREFIX="$work/prefix"
    wineboot -i >/dev/null 2>&1 || true
fi

calc() { awk "BEGIN { print $1 }"; }

totals() { # capture without .pcap
    local p b
    p=$(sed -n 's/^packetCount=//p' "$1.totals.txt")
    b=$(sed -n 's/^totalBytes=//p' "$1.totals.txt")
    echo "All packets: $p     Total bytes: $b"
}

# Best of five console runs: the time to the last datagram and the whole run's wall time, in seconds;
# also checks the totals line.
best_run() { # capture, expected totals line
    local best="" wall="" i start end seconds counted
    for i in 1 2 3 4 5; do
        start=$(date +%s.%N)
        (cd "$work" && wine BrisklaneCapture.exe --console "Z:$1" --timing > "$work/out.csv" 2> "$work/err.txt")
        end=$(date +%s.%N)
        if [ "$(tail -1 "$work/out.csv" | tr -d '\r')" != "$2" ]; then
            echo "traffic under Wine: unexpected output for $1: $(tail -1 "$work/out.csv") $(cat "$work/err.txt")" >&2
            return 1
        fi
        counted=$(sed -n 's/^capture: the last datagram was counted \([0-9.]*\) s.*/\1/p' "$work/err.txt" | tr -d '\r')
        [ -n "$counted" ] || { echo "traffic under Wine: no timing from the host: $(cat "$work/err.txt")" >&2; return 1; }
        seconds=$(calc "$end - $start")
        if [ -z "$best" ] || [ "$(calc "$counted < $best")" = 1 ]; then best=$counted; fi
        if [ -z "$wall" ] || [ "$(calc "$seconds < $wall")" = 1 ]; then wall=$seconds; fi
    done
    echo "$best $wall"
}

read -r program_seconds wall_seconds < <(best_run "$large" "$(totals "${large%.pcap}")") || exit 1
[ -n "${program_seconds:-}" ] || exit 1
native_seconds=$("$native" --seconds-only) || { echo "traffic under Wine: the native benchmark failed" >&2; exit 1; }
datagrams=$(sed -n 's/^packetCount=//p' "${large%.pcap}.totals.txt")

printf '\nwhole program path under Wine (console host, owner-data list view, status window) over %s\n' "$large"
printf '  console run, start to exit:            %7.3f s  (start-up, final idle second, exit included)\n' "$wall_seconds"
printf '  start to the last datagram counted:    %7.3f s  %12.0f datagrams/s\n' "$program_seconds" \
    "$(calc "$datagrams / $program_seconds")"
printf '  native portable path (benchmark):      %7.3f s\n' "$native_seconds"
printf '  ratio (Wine program / native):         %.1f  (target: at most 3)\n' "$(calc "$program_seconds / $native_seconds")"
