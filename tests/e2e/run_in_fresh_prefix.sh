#!/usr/bin/env bash
# Runs one Windows test program under Wine in a prefix of its own, made fresh and removed afterwards, so
# that no end-to-end test sees what another one left in the registry or the file system.
#   run_in_fresh_prefix.sh PROGRAM.exe [ARGS...]
set -u
prefix=$(mktemp -d /tmp/brisklane-e2e.XXXXXX)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
timeout --kill-after=10 "${BRISKLANE_E2E_TIMEOUT:-900}" wine "$@"
status=$?
wineserver -k 2>/dev/null
rm -rf "$prefix"
exit "$status"
