#!/usr/bin/env python3
"""Checks the large capture that the build generated: the same seed writes the same files again, every frame
stays whole within the link's MTU, and tcpdump reads every frame with correct checksums.

    generate_large_capture_test.py CAPTURE.pcap SEED

Whether the capture's flows are those its generator booked is the capture pipeline's test (native and under
Wine): that is where the engine meets these figures."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import generate_large_capture  # noqa: E402

CAPTURE = ''
SEED = 0


def base_of(path):
    return path[:-len('.pcap')]


def read_totals(path):
    with open(base_of(path) + '.totals.txt') as text:
        return {key: int(value) for key, value in (line.strip().split('=') for line in text if '=' in line)}


class GeneratedLargeCapture(unittest.TestCase):

    def test_the_same_seed_writes_the_same_files(self):
        folder = tempfile.mkdtemp()
        try:
            name = os.path.basename(base_of(CAPTURE))
            with open(os.devnull, 'w') as quiet:
                stdout, sys.stdout = sys.stdout, quiet
                try:
                    generate_large_capture.main(['--seed', str(SEED), '--out', folder, '--name', name])
                finally:
                    sys.stdout = stdout
            for ending in ('.pcap', '.flows.csv', '.totals.txt'):
                with open(base_of(CAPTURE) + ending, 'rb') as built, \
                        open(os.path.join(folder, name + ending), 'rb') as again:
                    self.assertTrue(built.read() == again.read(), name + ending + ' differs')
        finally:
            shutil.rmtree(folder)

    def test_every_frame_is_whole_and_within_the_mtu(self):
        totals = read_totals(CAPTURE)
        with open(CAPTURE, 'rb') as capture:
            data = capture.read()
        magic, _, _, _, _, snap, linktype = struct.unpack_from('<IHHiIII', data)
        self.assertEqual((magic, linktype), (0xA1B2C3D4, totals['linktype']))
        at, frames, previous = 24, 0, (0, 0)
        while at < len(data):
            seconds, micros, captured, wire = struct.unpack_from('<IIII', data, at)
            self.assertEqual(captured, wire, 'frame %d is cut short' % frames)
            self.assertLessEqual(captured, 14 + generate_large_capture.MTU)
            self.assertGreaterEqual((seconds, micros), previous, 'frame %d goes back in time' % frames)
            previous = (seconds, micros)
            at += 16 + captured
            frames += 1
        self.assertEqual(at, len(data))
        self.assertEqual(frames, totals['frames_total'])
        # The mix the benchmarks were sized for: about a quarter of a million datagrams in some 13,000 flows.
        self.assertGreater(totals['packetCount'], 200000)
        self.assertGreater(totals['flows'], 12000)
        self.assertEqual(totals['frames_counted'], totals['packetCount'] + totals['ignored_h_ge_l'])

    def test_tcpdump_reads_every_frame_with_correct_checksums(self):
        if shutil.which('tcpdump') is None:
            self.skipTest('tcpdump is not installed: no independent reader to ask')
        # -vv checks the IPv4 header, TCP, UDP and ICMP checksums of every frame.
        lines = subprocess.run(['tcpdump', '-nn', '-vv', '-r', CAPTURE], capture_output=True, text=True,
                               check=True).stdout.splitlines()
        frames = [line for line in lines if line[:1].isdigit()]
        self.assertEqual(len(frames), read_totals(CAPTURE)['frames_total'])
        wrong = [line for line in lines if 'incorrect' in line or 'bad cksum' in line]
        self.assertEqual(wrong[:3], [])


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    CAPTURE, SEED = sys.argv[1], int(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=2)
