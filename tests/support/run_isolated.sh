#!/usr/bin/env bash
# Runs one Windows test program under Wine in a prefix and on a virtual display of its own, both made for
# it and removed afterwards: no test sees what another left in the registry, the file system or on the
# screen, so test programs can run side by side. CTest runs the Win32 tests through this script (it is
# their cross-compiling emulator) and the end-to-end tests with it.
#   run_isolated.sh PROGRAM.exe [ARGS...]
set -u
# shellcheck source=scripts/setup.sh
source "$(dirname "$0")/../../scripts/setup.sh"
set +e
prefix=$(mktemp -d /tmp/brisklane-test.XXXXXX)
cleanup() {
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    [ -z "${BRISKLANE_XVFB_PID:-}" ] || kill "$BRISKLANE_XVFB_PID" 2>/dev/null
    rm -rf "$prefix"
}
trap cleanup EXIT
BRISKLANE_FORCE_XVFB=1 brisklane_start_display || exit 1
brisklane_fresh_prefix "$prefix" || exit 1
timeout --kill-after=10 "${BRISKLANE_TEST_TIMEOUT:-900}" wine "$@"
