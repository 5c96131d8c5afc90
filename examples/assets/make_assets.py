#!/usr/bin/env python3
"""Writes the demo's pictures: a 4-bit and an 8-bit palette picture, a direct
colour texture and a full-screen title picture. Pure Python (zlib), so the
pictures can be remade anywhere; the PNG files are committed beside it."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(name, width, height, depth, color_type, rows, palette=None):
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, 0))
    if palette:
        png += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(png)


def pack4(indices):
    # PNG packs the first pixel of a byte in its high nibble.
    return [(indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2)]


def tiles16():
    """256 x 256, 16 colours: a brick wall with a black (transparent) border."""
    palette = [(0, 0, 0)] + [(60 + 12 * i, 30 + 8 * i, 20 + 4 * i) for i in range(12)] + \
              [(200, 200, 190), (120, 120, 110), (255, 240, 120)]
    rows = []
    for y in range(256):
        row = []
        for x in range(256):
            brick_row = y // 32
            bx = (x + (16 if brick_row % 2 else 0)) % 64
            by = y % 32
            if x < 4 or y < 4 or x > 251 or y > 251:
                i = 0
            elif bx < 3 or by < 3:
                i = 14  # mortar
            else:
                brick = (x + (16 if brick_row % 2 else 0)) // 64 + brick_row * 5
                speckle = 1 if (x * 31 + y * 17) % 11 == 0 else 0
                i = 1 + (brick * 7 + speckle) % 12
            if (x - 128) ** 2 + (y - 128) ** 2 < 30 ** 2:
                i = 15  # a lamp in the middle
            row.append(i)
        rows.append(pack4(row))
    write_png("bricks16.png", 256, 256, 4, 3, rows, palette)


def plasma256():
    """256 x 256, 256 colours: a plasma through a rainbow palette; index 0 is black."""
    palette = [(0, 0, 0)]
    for i in range(1, 256):
        a = 2 * math.pi * i / 255
        palette.append(tuple(int(127.5 + 127.5 * math.sin(a + p)) for p in (0, 2.1, 4.2)))
    rows = []
    for y in range(256):
        row = []
        for x in range(256):
            v = math.sin(x / 16.0) + math.sin(y / 23.0) + math.sin((x + y) / 31.0) + \
                math.sin(math.hypot(x - 128, y - 128) / 12.0)
            row.append(1 + int((v + 4) / 8 * 254) % 255)
        rows.append(row)
    write_png("plasma256.png", 256, 256, 8, 3, rows, palette)


def direct():
    """256 x 256 direct colour: a smooth gradient with a checkered ring."""
    rows = []
    for y in range(256):
        row = []
        for x in range(256):
            d = math.hypot(x - 128, y - 128)
            if 70 < d < 110 and ((x // 16) + (y // 16)) % 2:
                row += [250, 250, 250]
            else:
                row += [x, y, 255 - (x + y) // 2]
        rows.append(row)
    write_png("gradient.png", 256, 256, 8, 2, rows)


def title():
    """320 x 240 direct colour picture for the full-screen blit."""
    rows = []
    for y in range(240):
        row = []
        for x in range(320):
            stripe = (x // 20 + y // 20) % 2
            sky = (40 + y // 2, 60 + y // 3, 160 - y // 4)
            sun = math.hypot(x - 220, y - 80) < 40
            ground = y > 170 + int(12 * math.sin(x / 25.0))
            if sun:
                c = (255, 220, 80)
            elif ground:
                c = (30 + 40 * stripe, 120, 40)
            else:
                c = sky
            row += list(c)
        rows.append(row)
    write_png("title.png", 320, 240, 8, 2, rows)


if __name__ == "__main__":
    tiles16()
    plasma256()
    direct()
    title()
