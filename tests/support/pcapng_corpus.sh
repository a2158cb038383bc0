#!/usr/bin/env bash
# Converts every real capture to pcapng with editcap (Debian's wireshark-common), as the pcapng tests read
# them: each DATA_DIR/pcap/NAME.pcap becomes OUT_DIR/NAME.pcapng, unless that is newer already. Never writes
# into the data folder.
#
#   pcapng_corpus.sh DATA_DIR OUT_DIR
set -euo pipefail
data=$1
out=$2
if ! command -v editcap >/dev/null; then
    echo "pcapng corpus: editcap is missing (Debian package wireshark-common; scripts/setup.sh installs it)" >&2
    exit 1
fi
mkdir -p "$out"
count=0
for capture in "$data"/pcap/*.pcap; do
    target="$out/$(basename "${capture%.pcap}").pcapng"
    if [ ! "$target" -nt "$capture" ]; then
        editcap -F pcapng "$capture" "$target.part"
        mv "$target.part" "$target"
    fi
    count=$((count + 1))
done
echo "pcapng corpus: $count captures in $out"
