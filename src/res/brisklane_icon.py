#!/usr/bin/env python3
"""Draws the program's main icon (a white lane arrow on a blue disc) into a Windows .ico file.

The icon holds nine images: 48, 32 and 16 pixels square, each at 4, 8 and 32 bits per pixel. The artwork is
described by shapes in a unit square and rendered with supersampling, so every size is drawn from the same
geometry. Only the standard library is used and the output depends on nothing but this file, so every build
produces the same bytes.

Usage: brisklane_icon.py OUTPUT.ico
"""

import struct
import sys

SIZES = (48, 32, 16)
DEPTHS = (4, 8, 32)

DISC_CENTRE = (0.5, 0.5)
DISC_RADIUS = 0.48
RING_WIDTH = 0.06
DISC_TOP = (0x3A, 0x9A, 0xE6)
DISC_BOTTOM = (0x12, 0x4A, 0x8C)
RING = (0x0A, 0x2E, 0x5A)
ARROW = (0xFF, 0xFF, 0xFF)
LANE = (0xF6, 0xC3, 0x3C)

# The classic sixteen-colour palette, for the 4-bit images.
PALETTE_16 = (
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
)


def palette_256():
    """A 6x6x6 colour cube followed by a 40-step grey ramp: 256 fixed entries."""
    levels = (0, 51, 102, 153, 204, 255)
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    greys = [(v, v, v) for v in (round(i * 255 / 41) for i in range(1, 41))]
    return tuple(cube + greys)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def inside_arrow(u, v):
    """A right-pointing arrow: a short shaft and a wide head, centred on the disc."""
    shaft = 0.20 <= u <= 0.52 and 0.41 <= v <= 0.59
    head = 0.50 <= u <= 0.80 and abs(v - 0.5) <= (0.80 - u) * 0.85
    return shaft or head


def inside_lane_stripe(u, v):
    """Two lane markings left of the arrow, reading as a road running toward it."""
    return (0.18 <= u <= 0.42) and (0.25 <= v <= 0.30 or 0.70 <= v <= 0.75)


def sample(u, v):
    """Colour and coverage (r, g, b, a in 0..1 for a) of one point of the artwork."""
    dx = u - DISC_CENTRE[0]
    dy = v - DISC_CENTRE[1]
    distance = (dx * dx + dy * dy) ** 0.5
    if distance > DISC_RADIUS:
        return (0.0, 0.0, 0.0, 0.0)
    if distance > DISC_RADIUS - RING_WIDTH:
        return RING + (1.0,)
    if inside_arrow(u, v):
        return ARROW + (1.0,)
    if inside_lane_stripe(u, v):
        return LANE + (1.0,)
    t = (v - (DISC_CENTRE[1] - DISC_RADIUS)) / (2 * DISC_RADIUS)
    return lerp(DISC_TOP, DISC_BOTTOM, t) + (1.0,)


def render(size, steps):
    """Rows of (r, g, b, a) with 0..255 channels, top row first; colours are straight (not premultiplied).

    Each pixel averages steps x steps samples; one sample gives the hard edges that palette images need.
    """
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(steps):
                for sx in range(steps):
                    r, g, b, a = sample((x + (sx + 0.5) / steps) / size, (y + (sy + 0.5) / steps) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = steps * steps
            alpha = acc[3] / n
            if acc[3] > 0:
                colour = tuple(round(c / acc[3]) for c in acc[:3])
            else:
                colour = (0, 0, 0)
            row.append(colour + (round(alpha * 255),))
        rows.append(row)
    return rows


def nearest(palette, colour):
    best = 0
    best_distance = None
    for index, entry in enumerate(palette):
        d = sum((a - b) * (a - b) for a, b in zip(entry, colour))
        if best_distance is None or d < best_distance:
            best, best_distance = index, d
    return best


def padded(row_bytes):
    return row_bytes + b"\0" * ((4 - len(row_bytes) % 4) % 4)


def and_mask(pixels, opaque):
    """The 1-bit transparency mask, bottom row first: a set bit leaves the screen unchanged."""
    out = b""
    for row in reversed(pixels):
        bits = bytearray((len(row) + 7) // 8)
        for x, p in enumerate(row):
            if not opaque(p):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += padded(bytes(bits))
    return out


def image(size, depth):
    """One icon image: a BITMAPINFOHEADER with doubled height, the palette, the colour bits and the mask."""
    if depth == 32:
        pixels = render(size, max(4, 96 // size))
        palette = ()
        xor = b""
        for row in reversed(pixels):
            line = b""
            for r, g, b, a in row:
                line += bytes((b, g, r, a)) if a else b"\0\0\0\0"
            xor += line
        mask = and_mask(pixels, lambda p: p[3] > 0)
    else:
        pixels = render(size, 1)
        palette = PALETTE_16 if depth == 4 else palette_256()
        opaque = lambda p: p[3] >= 128
        xor = b""
        for row in reversed(pixels):
            indices = [nearest(palette, p[:3]) if opaque(p) else 0 for p in row]
            if depth == 8:
                line = bytes(indices)
            else:
                line = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
            xor += padded(line)
        mask = and_mask(pixels, opaque)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, len(xor) + len(mask), 0, 0,
                         len(palette), 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + xor + mask


def icon():
    images = [(size, depth, image(size, depth)) for size in SIZES for depth in DEPTHS]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, depth, data in images:
        colours = 16 if depth == 4 else 0
        entries += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, _, data in images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: brisklane_icon.py OUTPUT.ico\n")
        return 2
    with open(argv[1], "wb") as out:
        out.write(icon())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
