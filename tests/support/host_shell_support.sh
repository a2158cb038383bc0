# Shared by the shell end-to-end tests of the capture host (sourced): a work folder holding the host, the
# stand-in and an INI file, a fresh Wine prefix of its own, and no display at all.
#   host_setup BIN_DIR     host_console ARGS...     host_reference NAME     host_cleanup

# shellcheck source=scripts/setup.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/setup.sh"
set +e

# Sets work (the folder) and WINEPREFIX; unsets DISPLAY for everything that follows.
host_setup() {
    work=$(mktemp -d /tmp/brisklane-shell-e2e.XXXXXX)
    mkdir -p "$work/host"
    cp "$1/BrisklaneCapture.exe" "$1/packet.dll" "$work/host/"
    # No row may go idle while a capture is read.
    printf '[main]\r\nidleseconds=1000000\r\n' >"$work/host/BrisklaneCapture.ini"
    unset DISPLAY
    brisklane_fresh_prefix "$work/prefix"
}

# One console run of the host; its standard output and error go where the caller sends them.
host_console() {
    timeout --kill-after=10 120 wine "$work/host/BrisklaneCapture.exe" --console "$@"
}

# What the console prints for a real capture of the data folder: its reference flows and the status line of its totals.
host_reference() {
    local base="$BRISKLANE_DATA_DIR/pcap/$1"
    cut -d, -f1-7 "$base.flows.csv"
    printf 'All packets: %s     Total bytes: %s\n' "$(sed -n 's/^packetCount=//p' "$base.totals.txt")" \
        "$(sed -n 's/^totalBytes=//p' "$base.totals.txt")"
}

host_cleanup() {
    [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null
    [ -z "${work:-}" ] || rm -rf "$work"
}
