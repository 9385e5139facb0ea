#!/usr/bin/env python3
"""Draws the sample product's images into OUTDIR: LOGO.BMP, TOOLBAR.PNG, SAMPLE.PNG.

Only the standard library; the same bytes on every run.
"""
import math
import os
import struct
import sys
import zlib


def bmp(width, height, pixel):
    """A 24-bit Windows bitmap, rows bottom-up, each padded to 4 bytes."""
    row_size = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + bytes(rows)


def png(width, height, pixel):
    """An 8-bit RGB PNG."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = bytearray()
    for y in range(height):
        raw.append(0)  # no filter
        for x in range(width):
            raw += bytes(pixel(x, y))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def clamp(v):
    return max(0, min(255, int(v)))


def logo(x, y):
    """An eye: a blue iris with a dark pupil on a light ground."""
    dx, dy = x - 31.5, y - 31.5
    d = math.hypot(dx, dy)
    if d < 7:
        return (20, 20, 30)
    if d < 20:
        shade = 1 - (d - 7) / 13 * 0.5
        return (clamp(40 * shade), clamp(110 * shade), clamp(220 * shade))
    if abs(dy) < 28 - abs(dx) * 0.55:
        return (250, 250, 245)
    return (200, 220, 235)


def toolbar(x, y):
    """Six 16 x 16 buttons: open, previous, next, zoom in, zoom out, fit."""
    button, bx = divmod(x, 16)
    if bx in (0, 15) or y in (0, 15):
        return (128, 128, 128)
    cx, cy = bx - 7.5, y - 7.5
    marks = [
        abs(cy) < 4 and abs(cx) < 5,             # a folder
        cx > -3 and abs(cy) < (cx + 3) * 0.7,   # an arrow left (drawn mirrored below)
        cx < 3 and abs(cy) < (3 - cx) * 0.7,    # an arrow right
        (abs(cx) < 1 and abs(cy) < 5) or (abs(cy) < 1 and abs(cx) < 5),  # plus
        abs(cy) < 1 and abs(cx) < 5,            # minus
        (abs(cx) > 4 or abs(cy) > 4) and abs(cx) < 6 and abs(cy) < 6,    # a frame
    ]
    if marks[button]:
        return (0, 0, 128)
    return (192, 192, 192)


def sample(x, y):
    """A landscape: sky, a sun, hills and a lake."""
    if math.hypot(x - 96, y - 22) < 10:
        return (255, 220, 90)
    hill = 60 + 10 * math.sin(x / 14.0) + 6 * math.sin(x / 5.0 + 1)
    if y < hill:
        return (clamp(110 + y), clamp(160 + y * 0.8), 235)
    if y < 80:
        return (clamp(40 + (y - hill) * 2), clamp(120 + (x % 7) * 3), 50)
    return (30, clamp(80 + (x + y) % 9 * 4), 170)


def write(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "LOGO.BMP"), bmp(64, 64, logo))
    write(os.path.join(out, "TOOLBAR.PNG"), png(96, 16, toolbar))
    write(os.path.join(out, "SAMPLE.PNG"), png(128, 96, sample))


if __name__ == "__main__":
    main()
