#!/usr/bin/env bash
# Takes the README's picture of the capture window under Wine: the window replays a capture at the pace of
# its time stamps (the generated large capture unless another is given), and once its status line shows the
# capture's totals and its graph the whole capture, a screenshot of the window is saved as a PNG file.
# Uses the win64 build (scripts/run.sh or scripts/test.sh makes it) and a Wine prefix and virtual display of
# its own.
#
#   scripts/capture_picture.sh [CAPTURE.pcap [OUT.png]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRISKLANE_BUILD_DIR:-$root/build}
bin=$build/win64/bin
large=$(sed -n 's/^BRISKLANE_LARGE_CAPTURE:[A-Z]*=//p' "$build/win64/CMakeCache.txt" 2>/dev/null || true)
capture=${1:-$large}
out=${2:-$root/docs/capture-window.png}
for file in BrisklaneCapture.exe packet.dll BrisklaneLookout.exe; do
    [ -f "$bin/$file" ] || { echo "capture picture: no $bin/$file: build win64 first" >&2; exit 1; }
done
[ -f "$capture" ] || { echo "capture picture: no capture \"$capture\"" >&2; exit 1; }
totals=${capture%.pcap}.totals.txt

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
work=$(mktemp -d)
cleanup() {
    [ -n "${lookout:-}" ] && kill "$lookout" 2>/dev/null
    [ -n "${host:-}" ] && kill "$host" 2>/dev/null
    wineserver -k 2>/dev/null || true
    [ -n "${BRISKLANE_XVFB_PID:-}" ] && kill "$BRISKLANE_XVFB_PID" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
BRISKLANE_FORCE_XVFB=1 brisklane_start_display
brisklane_fresh_prefix "$work/prefix"
cp "$bin/BrisklaneCapture.exe" "$bin/packet.dll" "$bin/BrisklaneLookout.exe" "$work/"
# The capture on drive C:, so that the adapter box shows a short path of no particular machine.
mkdir -p "$WINEPREFIX/drive_c/captures"
cp "$capture" "$WINEPREFIX/drive_c/captures/"
# Every flow stays in the list to the end.
printf '[main]\r\nidleseconds=1000000\r\n' >"$work/BrisklaneCapture.ini"

(cd "$work" && BRISKLANE_REPLAY=paced wine BrisklaneCapture.exe "C:\\captures\\$(basename "$capture")" --start) &
host=$!
(cd "$work" && wine BrisklaneLookout.exe shot.bmp shot.bmp "Brisklane Capture" >lookout.txt 2>&1) &
lookout=$!

# Done when the status line shows the capture's totals, and the graph has been refreshed after that.
expected="All packets: $(sed -n 's/^packetCount=//p' "$totals")     Total bytes: $(sed -n 's/^totalBytes=//p' "$totals")"
for _ in $(seq 1 600); do
    grep -qF "'$expected'" "$work/lookout.txt" 2>/dev/null && break
    sleep 0.5
done
grep -qF "'$expected'" "$work/lookout.txt" || { echo "capture picture: the totals never showed" >&2; exit 1; }
sleep 3 # two more refreshes of the graph, and a screenshot after them

python3 - "$work/shot.bmp" "$out" <<'PYTHON'
# A 24-bit BMP (as the lookout saves it) to PNG, with nothing but zlib.
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack_from('<I', data, 10)
width, height, planes, bits = struct.unpack_from('<iiHH', data, 18)
assert bits == 24, bits
stride = (width * 3 + 3) & ~3
rows = []
for y in range(abs(height)):
    source = y if height < 0 else abs(height) - 1 - y
    row = data[offset + source * stride: offset + source * stride + width * 3]
    rgb = bytearray(row)
    rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
    rows.append(b'\0' + bytes(rgb))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, abs(height), 8, 2, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
PYTHON
echo "capture picture: $out"
