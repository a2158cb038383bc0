#!/usr/bin/env bash
# Builds and runs Brisklane under Wine. With a display, the window appears there. Without one, the program
# runs on a virtual display and this script prints what the window shows once a second, with the place of
# a screenshot, until interrupted (Ctrl+C). Installs what is missing first.
#
#   scripts/run.sh [-tray]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRISKLANE_BUILD_DIR:-$root/build}

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
brisklane_install_missing

mkdir -p "$build"
echo "run: building the 64-bit program"
cmake -S "$root" -B "$build/win64" -G Ninja -DBRISKLANE_CONFIG=win64 >"$build/run-configure.log" 2>&1 ||
    { cat "$build/run-configure.log"; exit 1; }
ninja -C "$build/win64" Brisklane BrisklaneLookout >"$build/run-build.log" 2>&1 ||
    { tail -40 "$build/run-build.log"; exit 1; }
bin="$build/win64/bin"

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    brisklane_start_display
    echo "run: no display; using the virtual display $DISPLAY"
fi

# The program's own prefix keeps its registry preferences from one run to the next.
export WINEPREFIX=${WINEPREFIX:-$build/wine-run} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run: preparing the Wine prefix $WINEPREFIX"
    brisklane_prepare_prefix
fi
# Also a prefix of an earlier run, made before its look was part of it.
[ -f "$WINEPREFIX/drive_c/windows/Fonts/tahoma.ttf" ] || brisklane_prefix_look
# A display of one's own has a window manager; the virtual one has none.
if [ "$headless" -eq 0 ]; then brisklane_prefix_window_manager yes; else brisklane_prefix_window_manager no; fi

stop() {
    [ -n "${lookout:-}" ] && kill "$lookout" 2>/dev/null
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null
    wineserver -k 2>/dev/null || true
    [ -n "${BRISKLANE_XVFB_PID:-}" ] && kill "$BRISKLANE_XVFB_PID" 2>/dev/null
    exit 0
}
trap stop INT TERM

cd "$bin"
if [ "$headless" -eq 0 ]; then
    exec wine "$bin/Brisklane.exe" "$@"
fi

wine "$bin/Brisklane.exe" "$@" &
program=$!
screenshot="$build/brisklane-window.bmp"
wine "$bin/BrisklaneLookout.exe" "$(winepath -w "$screenshot" 2>/dev/null)" "$screenshot" &
lookout=$!
wait "$program" || true
echo "run: Brisklane has ended"
stop
