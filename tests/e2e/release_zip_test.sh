#!/usr/bin/env bash
# Unpacks a release zip into "C:\Program Files\Brisklane" of a fresh Wine prefix, as a Windows user would,
# and runs the test program that starts both programs from there; the prefix is removed afterwards.
#   release_zip_test.sh TEST_PROGRAM.exe ZIP
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$1
zip=$2
# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
set +e
[ -f "$zip" ] || { echo "release zip test: no $zip (scripts/package.sh writes it)"; exit 1; }

display_started=0
prefix=$(mktemp -d /tmp/brisklane-release.XXXXXX)
cleanup() {
    wineserver -k 2>/dev/null
    rm -rf "$prefix"
    [ "$display_started" -eq 0 ] || kill "$BRISKLANE_XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    brisklane_start_display || exit 1
    display_started=1
fi

brisklane_fresh_prefix "$prefix"
python3 -m zipfile -e "$zip" "$prefix/drive_c/Program Files/Brisklane" || exit 1
BRISKLANE_RELEASE_FOLDER='C:\Program Files\Brisklane' timeout --kill-after=10 "${BRISKLANE_TEST_TIMEOUT:-300}" \
    wine "$program"
