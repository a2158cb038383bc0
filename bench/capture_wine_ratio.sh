#!/usr/bin/env bash
# The capture host as a person runs it, against tcpdump in the same run: the whole process of a console run
# under Wine, from start to exit (no display at all), on the generated large capture against the native
# `tcpdump -nn -q -r` on the same file, the same again on the capture converted to pcapng by editcap, and on
# a capture of 8 frames. Then the program paths against the
# native pipeline benchmark's best time on the same file: the window, started on the file with --start
# --timing, says when its list showed the last flow and its status line the final totals; the console,
# with --timing, says when it counted the last datagram (the same path without any list). The window runs with
# its traffic graph shown (as it starts by default) and hidden, in turns, and the graph's cost is printed.
#
#   capture_wine_ratio.sh [WIN64_BIN_DIR [NATIVE_BENCH]]
# Defaults: the win64 build beside this bench build, and capture_pipeline_bench beside this script. The
# data folder, the generated large capture and the checkout come from this bench build's CMakeCache.txt. The window needs a display: a
# virtual one is started when none is set. Between the console's runs and the window's, the Wine server of
# the prefix (WINEPREFIX, or one of the script's own) is ended. In a prefix of its own, the window runs once
# more in Wine's visual style, which the program's prefixes turn off.
set -u
here=$(cd "$(dirname "$0")" && pwd)
win_bin=${1:-$here/../../win64/bin}
native=${2:-$here/capture_pipeline_bench}
cache="$here/../CMakeCache.txt"
cached() { sed -n "s/^$1:[A-Z]*=//p" "$cache" 2>/dev/null; }
data=$(cached BRISKLANE_DATA_DIR)
root=$(cached CMAKE_HOME_DIRECTORY)
large=$(cached BRISKLANE_LARGE_CAPTURE)
small="$data/pcap/eth-icmp-echo.pcap"
if [ -z "$data" ] || [ ! -f "$small" ]; then
    echo "traffic under Wine: no captures: BRISKLANE_DATA_DIR in $cache is \"$data\"," \
        "which should hold pcap/$(basename "$small")" >&2
    exit 1
fi
if [ -z "$large" ] || [ ! -f "$large" ]; then
    echo "traffic under Wine: the generated large capture \"$large\" (BRISKLANE_LARGE_CAPTURE in $cache)" \
        "is missing: the bench build writes it" >&2
    exit 1
fi
if [ -z "$root" ] || [ ! -f "$root/scripts/setup.sh" ]; then
    echo "traffic under Wine: no checkout with scripts/setup.sh at \"$root\" (CMAKE_HOME_DIRECTORY in $cache)" >&2
    exit 1
fi

if [ ! -f "$win_bin/BrisklaneCapture.exe" ] || [ ! -f "$win_bin/packet.dll" ] || ! command -v wine >/dev/null; then
    echo "traffic under Wine: no win64 build at $win_bin (or no wine): skipped"
    exit 0
fi
if ! command -v tcpdump >/dev/null; then
    echo "traffic under Wine: no tcpdump to compare with: skipped"
    exit 0
fi

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
set +e +o pipefail # the runs' exit codes are looked at one by one

work=$(mktemp -d)
own_prefix=0
cleanup() {
    [ "$own_prefix" -eq 0 ] || wineserver -k 2>/dev/null
    if [ -n "${BRISKLANE_XVFB_PID:-}" ]; then kill "$BRISKLANE_XVFB_PID" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
cp "$win_bin/BrisklaneCapture.exe" "$win_bin/packet.dll" "$work/"
printf '[main]\r\nidleseconds=1000000\r\n' >"$work/BrisklaneCapture.ini"
export WINEDEBUG=-all
brisklane_start_display || exit 1 # for the window; the console runs go without it
if [ -z "${WINEPREFIX:-}" ]; then
    # A prefix of its own with the program's fonts and look, removed with the rest.
    brisklane_fresh_prefix "$work/prefix" || exit 1
    own_prefix=1
fi

calc() { awk "BEGIN { print $1 }"; }
now() { date +%s.%N; }

# Best of five wall times of a command, in seconds; the command's output goes to $work/out.txt, and the
# best time the host reported with --timing (if it did) to $work/reported.txt. The runs follow each other
# closely, so Wine's server for the prefix, started by the first, stays up for the rest, as it does between
# the Wine programs of a session.
best_of() {
    local best="" fastest="" i start end seconds reported
    for i in 1 2 3 4 5; do
        start=$(now)
        "$@" >"$work/out.txt" 2>"$work/err.txt"
        end=$(now)
        seconds=$(calc "$end - $start")
        if [ -z "$best" ] || [ "$(calc "$seconds < $best")" = 1 ]; then best=$seconds; fi
        reported=$(tr -d '\r' <"$work/err.txt" | sed -n \
            -e 's/^capture: the last datagram was counted \([0-9.]*\) s after the start$/\1/p' \
            -e 's/^capture: the list showed the last of [0-9]* flows \([0-9.]*\) s after the start$/\1/p')
        if [ -n "$reported" ] && { [ -z "$fastest" ] || [ "$(calc "$reported < $fastest")" = 1 ]; }; then
            fastest=$reported
        fi
    done
    echo "$fastest" >"$work/reported.txt"
    echo "$best"
}

# Every run is bounded: a host that hung would otherwise hold the benchmark stage for ever.
in_work() { (cd "$work" && timeout --kill-after=10 120 "$@"); }
console() { in_work env -u DISPLAY wine BrisklaneCapture.exe --console "Z:$1" "${@:2}"; } # needs no display
wrong_option() { in_work env -u DISPLAY wine BrisklaneCapture.exe --no-such-option; }
window() { in_work wine BrisklaneCapture.exe "Z:$1" --start --timing; }
# The best time the host reported in the last best_of, or a failure that shows what it said.
reported() { # what
    local seconds
    seconds=$(cat "$work/reported.txt")
    if [ -z "$seconds" ]; then
        echo "traffic under Wine: no timing from the $1: $(cat "$work/err.txt")" >&2
        exit 1
    fi
    echo "$seconds"
}
# Checks the totals line of the last console run against the reference totals of the capture (or of the
# real capture it was converted from).
check_totals() { # capture [real capture]
    local base=${2:-$1} expected
    base=${base%.pcap}
    expected="All packets: $(sed -n 's/^packetCount=//p' "$base.totals.txt")     Total bytes: $(sed -n 's/^totalBytes=//p' "$base.totals.txt")"
    if [ "$(grep -a '^All packets: ' "$work/out.txt" | tr -d '\r')" != "$expected" ]; then
        echo "traffic under Wine: unexpected output for $1: $(tail -2 "$work/out.txt") $(cat "$work/err.txt")" >&2
        exit 1
    fi
}

small_seconds=$(best_of console "$small")
check_totals "$small"
floor_seconds=$(best_of wrong_option)
large_seconds=$(best_of console "$large" --timing)
check_totals "$large"
counted_seconds=$(reported console) || exit 1
# The same capture as pcapng, the format packet analysers write by default, converted here.
pcapng=""
if command -v editcap >/dev/null && editcap -F pcapng "$large" "$work/$(basename "$large")ng"; then
    pcapng="$work/$(basename "$large")ng"
    pcapng_seconds=$(best_of console "$pcapng")
    check_totals "$pcapng" "$large"
    pcapng_tcpdump_seconds=$(best_of tcpdump -nn -q -r "$pcapng")
fi
# A Wine session that began without a display keeps none for the programs that follow: the window's runs
# start a session of their own.
wineserver -k 2>/dev/null
wineserver -w
# The window with its traffic graph shown and hidden (as View > Traffic graph leaves it: a value under the
# program's registry key), in turns, so that whatever else the machine does weighs on both alike; the best
# of 5 each. The value is put back as it was.
graph_key='HKCU\Software\Brisklane\Capture'
previous_graph=$(wine reg query "$graph_key" /v ShowGraph 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_DWORD *\(0x[0-9a-fA-F]*\).*/\1/p')
shown_seconds=""
hidden_seconds=""
drawing_seconds="" # what the fastest run with the graph shown says drawing it took
for _ in 1 2 3 4 5; do
    for graph in 1 0; do
        wine reg add "$graph_key" /v ShowGraph /t REG_DWORD /d "$graph" /f >/dev/null 2>&1
        window "$large" >"$work/out.txt" 2>"$work/err.txt"
        seconds=$(tr -d '\r' <"$work/err.txt" |
            sed -n 's/^capture: the list showed the last of [0-9]* flows \([0-9.]*\) s after the start$/\1/p')
        if [ -z "$seconds" ]; then
            echo "traffic under Wine: no timing from the window (graph $graph): $(cat "$work/err.txt")" >&2
            exit 1
        fi
        if [ "$graph" = 1 ]; then
            if [ -z "$shown_seconds" ] || [ "$(calc "$seconds < $shown_seconds")" = 1 ]; then
                shown_seconds=$seconds
                drawing_seconds=$(tr -d '\r' <"$work/err.txt" |
                    sed -n 's/^capture: the traffic graph took \([0-9.]*\) s of it to draw$/\1/p')
            fi
        elif [ -z "$hidden_seconds" ] || [ "$(calc "$seconds < $hidden_seconds")" = 1 ]; then
            hidden_seconds=$seconds
        fi
    done
done
if [ -n "$previous_graph" ]; then
    wine reg add "$graph_key" /v ShowGraph /t REG_DWORD /d "$((previous_graph))" /f >/dev/null 2>&1
else
    wine reg delete "$graph_key" /v ShowGraph /f >/dev/null 2>&1
fi
flows=$(sed -n 's/^flows=//p' "${large%.pcap}.totals.txt")
if ! tr -d '\r' <"$work/err.txt" | grep -q "^capture: the list showed the last of $flows flows "; then
    echo "traffic under Wine: the window did not show the $flows flows of $(basename "$large"): $(cat "$work/err.txt")" >&2
    exit 1
fi
# The same window in Wine's own visual style, which the program's prefixes turn off (scripts/setup.sh):
# shown beside, so that what the classic look saves is in the same run. Only in a prefix of the script's own.
themed_seconds=""
if [ "$own_prefix" -eq 1 ]; then
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 1 /f >/dev/null 2>&1
    wineserver -w
    best_of window "$large" >/dev/null
    themed_seconds=$(reported "window in Wine's visual style") || exit 1
fi
tcpdump_seconds=$(best_of tcpdump -nn -q -r "$large")
native_seconds=$("$native" --seconds-only) || { echo "traffic under Wine: the native benchmark failed" >&2; exit 1; }
datagrams=$(sed -n 's/^packetCount=//p' "${large%.pcap}.totals.txt")
verdict() { [ "$(calc "$1 < $2")" = 1 ] && echo "met" || echo "NOT met"; }

printf '\nwhole process under Wine, start to exit, no display (best of 5)\n'
printf '  console run, %-25s %7.3f s\n' "$(basename "$large"):" "$large_seconds"
printf '  tcpdump -nn -q -r, same file (native): %7.3f s\n' "$tcpdump_seconds"
printf '  ratio tcpdump / console:               %7.1f    (target above 1: %s)\n' \
    "$(calc "$tcpdump_seconds / $large_seconds")" "$(verdict "$large_seconds" "$tcpdump_seconds")"
if [ -n "$pcapng" ]; then
    printf '  console run, %-25s %7.3f s\n' "$(basename "$pcapng"):" "$pcapng_seconds"
    printf '  tcpdump -nn -q -r, same file (native): %7.3f s\n' "$pcapng_tcpdump_seconds"
    printf '  ratio tcpdump / console (pcapng):      %7.1f    (target above 1: %s)\n' \
        "$(calc "$pcapng_tcpdump_seconds / $pcapng_seconds")" "$(verdict "$pcapng_seconds" "$pcapng_tcpdump_seconds")"
else
    printf '  pcapng form: editcap not available or failed, not measured\n'
fi
printf '  console run, %-25s %7.3f s  (8 frames; target under 0.5 s: %s)\n' "$(basename "$small"):" \
    "$small_seconds" "$(verdict "$small_seconds" 0.5)"
printf '  start and exit alone (wrong option):   %7.3f s\n' "$floor_seconds"
printf 'the program path inside the process, from the start of capture (best of 5)\n'
row() { printf '  %-48s %7.3f s  %12.0f datagrams/s\n' "$1" "$2" "$(calc "$datagrams / ($2 > 0.0001 ? $2 : 0.0001)")"; }
row "window: list of all $flows flows and totals shown" "$shown_seconds"
row "the same window with its traffic graph hidden" "$hidden_seconds"
printf '  %-48s %+7.1f %%  (target: at most +10 %%: %s)\n' "the graph's cost, shown against hidden" \
    "$(calc "100 * ($shown_seconds / $hidden_seconds - 1)")" "$(verdict "$shown_seconds" "$(calc "1.1 * $hidden_seconds")")"
printf '  %-48s %7.4f s  (%.1f %% of the window'"'"'s time)\n' "of it, drawing the graph (timed in the window)" \
    "${drawing_seconds:-0}" "$(calc "100 * ${drawing_seconds:-0} / $shown_seconds")"
row "console (no list view): last datagram counted" "$counted_seconds"
printf '  %-48s %7.3f s\n' "native portable path (benchmark)" "$native_seconds"
printf '  %-48s %7.2f    (target: at most 3: %s)\n' "ratio, Wine window host / native" \
    "$(calc "$shown_seconds / $native_seconds")" "$(verdict "$shown_seconds" "$(calc "3 * $native_seconds")")"
printf '  %-48s %7.2f\n' "ratio, Wine console (no list view) / native" "$(calc "$counted_seconds / $native_seconds")"
if [ -n "$themed_seconds" ]; then
    row "window in Wine's visual style (not our look)" "$themed_seconds"
    printf '  %-48s %7.2f    (target: at most 3: %s)\n' "ratio, that window / native" \
        "$(calc "$themed_seconds / $native_seconds")" "$(verdict "$themed_seconds" "$(calc "3 * $native_seconds")")"
fi
