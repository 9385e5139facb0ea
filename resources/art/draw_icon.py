#!/usr/bin/env python3
"""Draws the Lumivora icon (an eye) and writes it as a Windows .ico file.

    draw_icon.py OUTPUT.ico

Three 16-colour images, 32 x 32, 16 x 16 and 48 x 48, in the standard 16-colour
palette, so that every Windows since 3.1 can show them; a DPI-aware program at 150 %
asks for the 48-pixel one. The new size comes last so that the two older images keep
their numbers. The drawing is computed from a few shapes; the output depends on
nothing but this script (no dates), so the same bytes come out every time.
"""
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GREY, BLUE, CYAN, WHITE = 0, 4, 6, 7, 8, 12, 14, 15
TRANSPARENT = None


def in_eye(x, y, size):
    """True inside the almond of the eye: two parabolic lids meeting at the corners."""
    c = size / 2.0
    half_width = size * 0.47
    lid = size * 0.30
    u = (x - c) / half_width
    if abs(u) >= 1.0:
        return False
    return abs(y - c) <= lid * (1.0 - u * u)


def pixel(px, py, size):
    """Palette index of pixel (px, py), sampled at its centre; None is transparent."""
    x, y = px + 0.5, py + 0.5
    c = size / 2.0
    if not in_eye(x, y, size):
        return TRANSPARENT
    # A pixel of the almond near its edge belongs to the outline; the reach shrinks
    # with the image so that the small one keeps some white.
    reach = size / 32.0
    for dx in (-reach, 0, reach):
        for dy in (-reach, 0, reach):
            if not in_eye(x + dx, y + dy, size):
                return NAVY
    d2 = (x - c) ** 2 + (y - c) ** 2
    iris = size * 0.25
    pupil = size * 0.11
    # The glint that makes the eye look alive, on the pupil's upper left edge.
    gx, gy, glint = c - size * 0.09, c - size * 0.09, size * 0.05
    if (x - gx) ** 2 + (y - gy) ** 2 <= glint ** 2:
        return WHITE
    if d2 <= pupil ** 2:
        return BLACK
    if d2 <= iris ** 2:
        # A darker ring round the iris, a lighter band inside it.
        if d2 >= (iris - max(1.0, size / 16.0)) ** 2:
            return NAVY
        return CYAN if d2 <= (size * 0.17) ** 2 else TEAL
    # The white of the eye, shaded grey towards the corners.
    return SILVER if abs(x - c) > size * 0.36 else WHITE


def image(size):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colour rows, 1-bit mask rows."""
    rows = [[pixel(px, py, size) for px in range(size)] for py in range(size)]
    colour_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up, as DIBs are stored
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for px, index in enumerate(row):
            if index is TRANSPARENT:
                bits[px // 8] |= 0x80 >> (px % 8)
                index = BLACK
            line[px // 2] |= index << (4 if px % 2 == 0 else 0)
        colour += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(sizes):
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: draw_icon.py OUTPUT.ico\n")
        return 2
    with open(sys.argv[1], "wb") as f:
        f.write(icon_file([32, 16, 48]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
