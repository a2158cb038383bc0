#!/usr/bin/env python3
"""Writes the large capture of the benchmarks and tests, and its expected flows and totals.

    generate_large_capture.py --seed N --out DIR [--name NAME]

writes DIR/NAME.pcap (classic libpcap, Ethernet, microseconds), DIR/NAME.flows.csv and DIR/NAME.totals.txt
in the formats of the real captures' reference tables (see pcap/README.md). The same seed gives the same
bytes on every machine.

The traffic is the mix of a busy client on a 200-byte MTU link, so that every frame stays whole: one bulk
TCP download, thousands of short HTTP/1.0 connections, UDP datagrams on 50 sockets each echoed back, ICMP
echo requests with their replies, DNS queries with answers, and an ARP exchange before it all. Every
activity books each datagram it sends as it makes it (its flow key, its total length), so the figures come
from what was sent, not from reading the file back. The rules the figures follow are those of the real
captures' tables: a datagram counts under (source, destination, first word, second word, protocol) with
its whole total length; a datagram no longer than its protocol's fixed header (a bare TCP acknowledgement
without options, 40 bytes) is counted as a frame but kept out of the flows and totals.
"""
import argparse
import heapq
import os
import random
import struct
import sys

CLIENT = (10, 200, 0, 1)
SERVER = (10, 200, 0, 2)
CLIENT_MAC = bytes.fromhex('020000000001')
SERVER_MAC = bytes.fromhex('020000000002')
MTU = 200
START_SECONDS = 1700000000  # the capture's first second (November 2023)
DURATION_US = 8_000_000  # every activity fits in these eight seconds

# The fixed header size per protocol under which a datagram is kept out of the figures.
FIXED_HEADER = {6: 40, 17: 28, 2: 28, 4: 20}

TCP_FIN, TCP_SYN, TCP_PSH, TCP_ACK = 0x01, 0x02, 0x08, 0x10


def internet_checksum(data):
    """The one's complement of the one's complement sum of the 16-bit big-endian words. As 2^16 leaves 1
    modulo 65535, that sum is the whole message read as one big number, modulo 65535 (with 0xFFFF, not 0,
    for a sum that is not zero), which Python works out far faster than word by word."""
    if len(data) % 2:
        data += b'\0'
    number = int.from_bytes(data, 'big')
    total = number % 0xFFFF
    if total == 0 and number != 0:
        total = 0xFFFF
    return ~total & 0xFFFF


class Ledger:
    """What was sent: frames, and per flow the datagrams and their bytes."""

    def __init__(self):
        self.flows = {}
        self.frames_total = 0
        self.frames_counted = 0
        self.ignored = 0
        self.packet_count = 0
        self.total_bytes = 0

    def other_frame(self):
        self.frames_total += 1

    def datagram(self, src, dst, word1, word2, proto, length):
        self.frames_total += 1
        self.frames_counted += 1
        header = FIXED_HEADER.get(proto, 0)
        if header >= length:
            self.ignored += 1
            return
        key = (src, dst, word1, word2, proto)
        flow = self.flows.get(key)
        if flow is None:
            self.flows[key] = [1, length]
        else:
            flow[0] += 1
            flow[1] += length
        self.packet_count += 1
        self.total_bytes += length - header

    def write(self, base):
        dotted = '.'.join
        lines = ['src,dst,sport,dport,proto,packets,bytes,truncated_packets\n']
        for (src, dst, word1, word2, proto), (packets, size) in sorted(self.flows.items()):
            lines.append('%s,%s,%d,%d,%d,%d,%d,0\n' %
                         (dotted(map(str, src)), dotted(map(str, dst)), word1, word2, proto, packets, size))
        write_atomically(base + '.flows.csv', ''.join(lines).encode('ascii'))
        totals = [('packetCount', self.packet_count), ('totalBytes', self.total_bytes),
                  ('frames_total', self.frames_total), ('frames_counted', self.frames_counted),
                  ('ignored_h_ge_l', self.ignored), ('truncated_packets', 0), ('flows', len(self.flows)),
                  ('linktype', 1), ('link_header_length', 14)]
        write_atomically(base + '.totals.txt', ''.join('%s=%d\n' % pair for pair in totals).encode('ascii'))


class Link:
    """Makes Ethernet frames of IPv4 datagrams between the two hosts and books each datagram."""

    def __init__(self, ledger):
        self.ledger = ledger
        self.ip_id = {CLIENT: 1, SERVER: 1}
        self.macs = {CLIENT: SERVER_MAC + CLIENT_MAC + b'\x08\x00', SERVER: CLIENT_MAC + SERVER_MAC + b'\x08\x00'}
        self.header_sums = {}

    def ipv4(self, src, dst, proto, payload, word1, word2):
        length = 20 + len(payload)
        assert length <= MTU, 'a datagram larger than the link takes'
        ident = self.ip_id[src]
        self.ip_id[src] = (ident + 1) & 0xFFFF
        # The header's words but length and identification are the same for every datagram of a direction
        # and protocol: their sum is worked out once.
        fixed = self.header_sums.get((src, dst, proto))
        if fixed is None:
            fixed = self.header_sums[src, dst, proto] = internet_checksum(
                struct.pack('!BBHHHBBH4B4B', 0x45, 0, 0, 0, 0x4000, 64, proto, 0, *src, *dst)) ^ 0xFFFF
        total = fixed + length + ident
        total = (total & 0xFFFF) + (total >> 16)
        total = (total & 0xFFFF) + (total >> 16)
        header = struct.pack('!BBHHHBBH4B4B', 0x45, 0, length, ident, 0x4000, 64, proto, ~total & 0xFFFF, *src, *dst)
        self.ledger.datagram(src, dst, word1, word2, proto, length)
        return self.macs[src] + header + payload

    def pseudo_header(self, src, dst, proto, length):
        return struct.pack('!4B4BBBH', *src, *dst, 0, proto, length)

    def udp(self, src, dst, sport, dport, data):
        length = 8 + len(data)
        segment = struct.pack('!HHHH', sport, dport, length, 0) + data
        checksum = internet_checksum(self.pseudo_header(src, dst, 17, length) + segment) or 0xFFFF
        segment = segment[:6] + struct.pack('!H', checksum) + segment[8:]
        return self.ipv4(src, dst, 17, segment, sport, dport)

    def tcp(self, src, dst, sport, dport, seq, ack, flags, options=b'', data=b''):
        offset = (20 + len(options)) // 4
        segment = struct.pack('!HHIIBBHHH', sport, dport, seq & 0xFFFFFFFF, ack & 0xFFFFFFFF, offset << 4, flags,
                              502, 0, 0) + options + data
        checksum = internet_checksum(self.pseudo_header(src, dst, 6, len(segment)) + segment)
        segment = segment[:16] + struct.pack('!H', checksum) + segment[18:]
        return self.ipv4(src, dst, 6, segment, sport, dport)

    def icmp_echo(self, src, dst, kind, ident, sequence, data):
        message = struct.pack('!BBHHH', kind, 0, 0, ident, sequence) + data
        checksum = internet_checksum(message)
        message = message[:2] + struct.pack('!H', checksum) + message[4:]
        # The words after the IP header are type and code, and the checksum.
        return self.ipv4(src, dst, 1, message, kind << 8, checksum)

    def arp(self, src, dst, reply):
        self.ledger.other_frame()
        sender_mac = SERVER_MAC if src == SERVER else CLIENT_MAC
        target_mac = CLIENT_MAC if reply else b'\0' * 6
        body = struct.pack('!HHBBH', 1, 0x0800, 6, 4, 2 if reply else 1) + sender_mac + bytes(src) + target_mac + \
            bytes(dst)
        destination = CLIENT_MAC if reply else b'\xff' * 6
        return destination + sender_mac + b'\x08\x06' + body


class TcpConnection:
    """Both ends of one TCP connection; each send is one frame at a given time."""

    def __init__(self, link, rng, client_port, server_port, timestamps):
        self.link = link
        self.client_port = client_port
        self.server_port = server_port
        self.timestamps = timestamps
        self.seq = {CLIENT: rng.getrandbits(32), SERVER: rng.getrandbits(32)}
        self.ts = {CLIENT: rng.getrandbits(31), SERVER: rng.getrandbits(31)}
        # Data per segment: what the MTU leaves after the headers and the time-stamp option.
        self.mss = MTU - 40 - (12 if timestamps else 0)

    def peer(self, side):
        return SERVER if side == CLIENT else CLIENT

    def ports(self, side):
        return (self.client_port, self.server_port) if side == CLIENT else (self.server_port, self.client_port)

    def options(self, side, time_us, syn):
        self.ts[side] = (self.ts[side] + 1) & 0x7FFFFFFF
        stamp = struct.pack('!BBII', 8, 10, self.ts[side], self.ts[self.peer(side)] if not syn or side == SERVER else 0)
        if syn:
            mss = struct.pack('!BBH', 2, 4, self.mss)
            return mss + (b'\x04\x02' + stamp + b'\x01\x03\x03\x0a' if self.timestamps else b'')
        return b'\x01\x01' + stamp if self.timestamps else b''

    def send(self, side, time_us, flags, data=b''):
        syn = bool(flags & TCP_SYN)
        sport, dport = self.ports(side)
        peer = self.peer(side)
        ack = self.seq[peer] if flags & TCP_ACK else 0
        frame = self.link.tcp(side, peer, sport, dport, self.seq[side], ack, flags, self.options(side, time_us, syn),
                              data)
        self.seq[side] += len(data) + (1 if flags & (TCP_SYN | TCP_FIN) else 0)
        return time_us, frame

    def open(self, time_us):
        yield self.send(CLIENT, time_us, TCP_SYN)
        yield self.send(SERVER, time_us + 20, TCP_SYN | TCP_ACK)
        yield self.send(CLIENT, time_us + 40, TCP_ACK)

    def close(self, time_us, closer):
        other = self.peer(closer)
        yield self.send(closer, time_us, TCP_FIN | TCP_ACK)
        yield self.send(other, time_us + 15, TCP_ACK)
        yield self.send(other, time_us + 30, TCP_FIN | TCP_ACK)
        yield self.send(closer, time_us + 45, TCP_ACK)


def pattern(rng, size):
    return rng.randbytes(size)


def bulk_download(link, rng, body_bytes):
    """One HTTP download over the whole capture, acknowledged every tenth segment."""
    connection = TcpConnection(link, rng, rng.randint(40000, 60999), 8080, timestamps=True)
    time_us = 20_000
    yield from connection.open(time_us)
    request = b'GET /blob12m.bin HTTP/1.1\r\nHost: 10.200.0.2:8080\r\nUser-Agent: fetch/1.0\r\nAccept: */*\r\n\r\n'
    yield connection.send(CLIENT, time_us + 100, TCP_PSH | TCP_ACK, request)
    yield connection.send(SERVER, time_us + 120, TCP_ACK)
    head = b'HTTP/1.0 200 OK\r\nServer: files/1.0\r\nContent-type: application/octet-stream\r\n' + \
        b'Content-Length: %d\r\n\r\n' % body_bytes
    blob = pattern(rng, 1 << 16)
    body = head + blob * (body_bytes // len(blob)) + blob[:body_bytes % len(blob)]
    segments = (len(body) + connection.mss - 1) // connection.mss
    step = (DURATION_US - 200_000) / segments
    for index in range(segments):
        time_us = 30_000 + int(index * step)
        flags = TCP_PSH | TCP_ACK if index % 8 == 7 else TCP_ACK
        yield connection.send(SERVER, time_us, flags, body[index * connection.mss:(index + 1) * connection.mss])
        if index % 10 == 9:
            yield connection.send(CLIENT, time_us + 5, TCP_ACK)
    yield from connection.close(time_us + 1000, SERVER)


def short_connection(link, rng, start_us, client_port, timestamps):
    """One HTTP/1.0 request on a connection of its own: a page of two and a half to four thousand bytes."""
    connection = TcpConnection(link, rng, client_port, 8080, timestamps)
    yield from connection.open(start_us)
    time_us = start_us + 100
    path = b'/page/%d.html' % rng.randint(1, 9999)
    request = b'GET ' + path + b' HTTP/1.0\r\nHost: 10.200.0.2:8080\r\nUser-Agent: bench-client\r\n\r\n'
    yield connection.send(CLIENT, time_us, TCP_PSH | TCP_ACK, request)
    yield connection.send(SERVER, time_us + 30, TCP_ACK)
    page = rng.choice((2600, 3200, 3500, 3700, 3900)) + rng.randint(0, 200)
    body = b'HTTP/1.0 200 OK\r\nServer: pages/1.0\r\nContent-type: text/html\r\nContent-Length: %d\r\n\r\n' % page + \
        (b'<p>' + b'x' * 60 + b'</p>\n') * (page // 68) + b'.' * (page % 68)
    pieces = [body[at:at + connection.mss] for at in range(0, len(body), connection.mss)]
    for index, piece in enumerate(pieces):
        time_us += 60
        yield connection.send(SERVER, time_us, TCP_PSH | TCP_ACK if index == len(pieces) - 1 else TCP_ACK, piece)
        if index % 8 == 7 or index == len(pieces) - 1:
            yield connection.send(CLIENT, time_us + 10, TCP_ACK)
    yield from connection.close(time_us + 200, SERVER)


def short_connections(link, rng, count):
    """Connections that start one after another and overlap, each from a port of its own."""
    port = rng.randint(32768, 40000)
    starts = sorted(rng.randint(50_000, DURATION_US - 100_000) for _ in range(count))
    runs = []
    for start_us in starts:
        port += rng.randint(1, 3)
        # One client in ten sends no time stamps: its bare acknowledgements are 40 bytes, and no flow keeps them.
        runs.append(short_connection(link, rng, start_us, port, timestamps=rng.random() >= 0.1))
    # Each connection makes its frames when the merge first asks for them, so the figures still come from what
    # was sent.
    return heapq.merge(*runs, key=lambda sent: sent[0])


def udp_echoes(link, rng, sockets, datagrams):
    """Datagrams of 20 to 149 bytes from each socket to an echo service, each answered with the same bytes."""
    ports = rng.sample(range(32768, 61000), sockets)
    step = DURATION_US // datagrams
    for index in range(datagrams):
        time_us = 10_000 + index * step
        port = ports[index % sockets]
        data = pattern(rng, rng.randint(20, 149))
        yield time_us, link.udp(CLIENT, SERVER, port, 9998, data)
        yield time_us + 30, link.udp(SERVER, CLIENT, 9998, port, data)


def pings(link, rng, count):
    """Echo requests with 100 bytes of data (a time stamp, then counting bytes), each with its reply."""
    ident = rng.getrandbits(16)
    step = DURATION_US // count
    filler = bytes(range(16, 100))
    for sequence in range(1, count + 1):
        time_us = 5_000 + (sequence - 1) * step + rng.randint(0, 500)
        stamp = struct.pack('<QQ', START_SECONDS + time_us // 1_000_000, time_us % 1_000_000)
        yield time_us, link.icmp_echo(CLIENT, SERVER, 8, ident, sequence, stamp + filler)
        yield time_us + 25, link.icmp_echo(SERVER, CLIENT, 0, ident, sequence, stamp + filler)


def dns_name(name):
    return b''.join(bytes([len(part)]) + part for part in name.split(b'.')) + b'\0'


def dns_lookups(link, rng, count):
    """A queries for names under example.test, each from a new source port, each answered with one address."""
    step = DURATION_US // count
    for index in range(count):
        time_us = 15_000 + index * step
        port = rng.randint(32768, 60999)
        ident = rng.getrandbits(16)
        question = dns_name(b'host%d.example.test' % index) + struct.pack('!HH', 1, 1)
        query = struct.pack('!HHHHHH', ident, 0x0100, 1, 0, 0, 0) + question
        answer = struct.pack('!HHHHHH', ident, 0x8580, 1, 1, 0, 0) + question + \
            struct.pack('!HHHIH4B', 0xC00C, 1, 1, 300, 4, 10, 200, rng.randint(1, 254), rng.randint(1, 254))
        yield time_us, link.udp(CLIENT, SERVER, port, 53, query)
        yield time_us + 200, link.udp(SERVER, CLIENT, 53, port, answer)


def arp_exchange(link):
    yield 0, link.arp(CLIENT, SERVER, reply=False)
    yield 30, link.arp(SERVER, CLIENT, reply=True)


def write_atomically(path, data):
    temporary = path + '.part'
    with open(temporary, 'wb') as out:
        out.write(data)
    os.replace(temporary, path)


def write_capture(path, frames):
    temporary = path + '.part'
    with open(temporary, 'wb') as out:
        out.write(struct.pack('<IHHiIII', 0xA1B2C3D4, 2, 4, 0, 0, 262144, 1))
        record = struct.Struct('<IIII')
        chunk = []
        for time_us, frame in frames:
            chunk.append(record.pack(START_SECONDS + time_us // 1_000_000, time_us % 1_000_000, len(frame),
                                     len(frame)))
            chunk.append(frame)
            if len(chunk) >= 8192:
                out.write(b''.join(chunk))
                chunk.clear()
        out.write(b''.join(chunk))
    os.replace(temporary, path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--seed', type=int, required=True, help='the same seed gives the same files')
    parser.add_argument('--out', required=True, help='folder to write into')
    parser.add_argument('--name', default='eth-generated-large', help='file name without ending')
    args = parser.parse_args(argv)

    ledger = Ledger()
    link = Link(ledger)
    # Each activity draws from a generator of its own, so that the order in which the merge asks them for
    # frames cannot change what any of them sends.
    def rng(activity):
        return random.Random('%d/%s' % (args.seed, activity))

    activities = [
        arp_exchange(link),
        bulk_download(link, rng('bulk'), 12_000_000),
        short_connections(link, rng('http'), 3000),
        udp_echoes(link, rng('udp'), 50, 20000),
        pings(link, rng('icmp'), 3000),
        dns_lookups(link, rng('dns'), 500),
    ]
    os.makedirs(args.out, exist_ok=True)
    base = os.path.join(args.out, args.name)
    write_capture(base + '.pcap', heapq.merge(*activities, key=lambda sent: sent[0]))
    ledger.write(base)
    print('%s.pcap: %d frames, %d datagrams, %d flows' % (base, ledger.frames_total, ledger.packet_count,
                                                          len(ledger.flows)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
