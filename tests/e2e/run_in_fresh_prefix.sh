#!/usr/bin/env bash
# Runs one Windows test program under Wine in a prefix of its own, made fresh and removed afterwards, so
# that no end-to-end test sees what another one left in the registry or the file system.
#   run_in_fresh_prefix.sh PROGRAM.exe [ARGS...]
set -u
# shellcheck source=scripts/setup.sh
source "$(dirname "$0")/../../scripts/setup.sh"
set +e
prefix=$(mktemp -d /tmp/brisklane-e2e.XXXXXX)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
brisklane_prepare_prefix || exit 1
timeout --kill-after=10 "${BRISKLANE_E2E_TIMEOUT:-900}" wine "$@"
status=$?
wineserver -k 2>/dev/null
rm -rf "$prefix"
exit "$status"
