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

# What the console prints for a real capture of the data folder: its reference flows, the status line of its totals and the
# Frames line: read, counted and ignored from its totals; of the frames its frame rule skips (the reference
# counts them together), those whose byte at the link offset is there and is not 0x45 are "not IPv4", the
# rest too short; and that a replay dropped nothing.
host_reference() {
    local base="$BRISKLANE_DATA_DIR/pcap/$1"
    cut -d, -f1-7 "$base.flows.csv"
    printf 'All packets: %s     Total bytes: %s\n' "$(sed -n 's/^packetCount=//p' "$base.totals.txt")" \
        "$(sed -n 's/^totalBytes=//p' "$base.totals.txt")"
    python3 - "$base" <<'PY'
import struct, sys
base = sys.argv[1]
totals = dict(line.strip().split('=', 1) for line in open(base + '.totals.txt') if '=' in line)
data = open(base + '.pcap', 'rb').read()
order = '<' if data[:4] in (b'\xd4\xc3\xb2\xa1', b'\x4d\x3c\xb2\xa1') else '>'
link = int(totals['link_header_length'])
not_ipv4, at = 0, 24
while at + 16 <= len(data):
    captured = struct.unpack_from(order + 'I', data, at + 8)[0]
    if captured > link and data[at + 16 + link] != 0x45:
        not_ipv4 += 1
    at += 16 + captured
read, counted, ignored = (int(totals[key]) for key in ('frames_total', 'packetCount', 'ignored_h_ge_l'))
too_short = read - int(totals['frames_counted']) - not_ipv4
print(f'Frames: {read} read, {counted} counted, {read - counted} skipped ({not_ipv4} not IPv4 at the link offset, '
      f'{too_short} too short, {ignored} ignored (header not below length), 0 filtered out, 0 other link type)')
PY
    echo "Dropped: 0"
}

host_cleanup() {
    [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null
    [ -z "${work:-}" ] || rm -rf "$work"
}
