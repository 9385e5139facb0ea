#!/usr/bin/env python3
"""Writes a full-size product folder for the benchmark, the same bytes on every run.

    make_product.py OUT_DIR --main PROGRAM [--name LUMIVORA.EXE]

The shape is that of the product the installer was made for: 495 files, about
4.07 MB of file data, mixed so that zlib level 9 keeps about 31 % of it (help pages
in HTML, plain texts, small bitmaps that compress well, and images and data that do
not compress at all), in the install directory, ENGLISH and ENGLISH\\IMAGES, with the
main program first. Names follow the archive rules (8.3, upper case, no device
names), so `lmvrpack pack` takes the folder as it is.
"""

import argparse
import shutil
import struct
import sys
import zlib
from pathlib import Path

FILE_COUNT = 495
DEVICE_NAMES = {"CON", "PRN", "AUX", "NUL"} | {f"COM{i}" for i in range(1, 10)} | {f"LPT{i}" for i in range(1, 10)}


class Random:
    """splitmix64: small, fast enough, and the same sequence on every Python."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next64(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def below(self, n):
        return self.next64() % n

    def between(self, low, high):
        return low + self.below(high - low + 1)

    def noise(self, size):
        """Bytes that no compressor shrinks."""
        out = bytearray()
        while len(out) < size:
            out += struct.pack("<Q", self.next64())
        return bytes(out[:size])


SYLLABLES = ["ka", "lu", "mi", "vo", "ra", "te", "no", "si", "pa", "de", "gro", "fen", "tal", "bri", "mor",
             "zu", "xel", "qua", "dro", "lin", "ver", "sta", "plo", "chi", "wen", "hal", "ost", "rum"]


def make_vocabulary(rng, count):
    words = set()
    while len(words) < count:
        words.add("".join(SYLLABLES[rng.below(len(SYLLABLES))] for _ in range(rng.between(1, 4))))
    return sorted(words)


def zipf_pick(rng, words):
    # Small indices far more often than large ones, as in real prose.
    span = len(words)
    r = rng.below(1 << 20) / float(1 << 20)
    return words[int(span * r * r * r)]


def sentence(rng, words):
    text = " ".join(zipf_pick(rng, words) for _ in range(rng.between(5, 18)))
    return text[0].upper() + text[1:] + "."


def paragraph(rng, words):
    return " ".join(sentence(rng, words) for _ in range(rng.between(2, 6)))


def html_page(rng, words, title, links, size):
    parts = ["<HTML>\r\n<HEAD>\r\n<TITLE>Lumivora Help: %s</TITLE>\r\n</HEAD>\r\n" % title,
             '<BODY BGCOLOR="#FFFFFF" TEXT="#000000" LINK="#000080">\r\n<H1>%s</H1>\r\n' % title]
    while sum(map(len, parts)) < size:
        choice = rng.below(6)
        if choice == 0:
            parts.append("<H2>%s</H2>\r\n" % sentence(rng, words)[:-1])
        elif choice == 1 and links:
            target = links[rng.below(len(links))]
            parts.append('<P>See also <A HREF="%s">%s</A>.</P>\r\n' % (target, target[:-4].capitalize()))
        elif choice == 2:
            items = "".join("<LI>%s</LI>\r\n" % sentence(rng, words) for _ in range(rng.between(2, 5)))
            parts.append("<UL>\r\n%s</UL>\r\n" % items)
        else:
            parts.append("<P>%s</P>\r\n" % paragraph(rng, words))
    parts.append("<HR>\r\n<ADDRESS>Lumivora image viewer</ADDRESS>\r\n</BODY>\r\n</HTML>\r\n")
    return "".join(parts).encode("ascii")[:size]


def text_file(rng, words, size):
    lines = []
    while sum(map(len, lines)) < size:
        lines.append(paragraph(rng, words) + "\r\n\r\n")
    return "".join(lines).encode("ascii")[:size]


def bitmap(rng, width, height):
    """An 8-bit BMP of flat areas and gradients with a little grain: compresses well."""
    palette = b"".join(struct.pack("<BBBB", i, (i * 3) & 0xFF, 255 - i, 0) for i in range(256))
    stride = (width + 3) & ~3
    rows = bytearray()
    base = rng.below(256)
    for y in range(height):
        row = bytearray(stride)
        band = (base + y // max(1, height // 6) * 37) & 0xFF
        for x in range(width):
            value = band if x < width // 2 else (band + x) & 0xFF
            if rng.below(40) == 0:
                value = rng.below(256)
            row[x] = value
        rows += row
    pixels = bytes(rows)
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    return header + info + palette + pixels


def packed_image(rng, kind, size):
    """A compressed image format: a real signature, then bytes that do not shrink."""
    signature = {"GIF": b"GIF89a", "PNG": b"\x89PNG\r\n\x1a\n", "JPG": b"\xff\xd8\xff\xe0\x00\x10JFIF\x00"}[kind]
    return signature + rng.noise(size - len(signature))


def program_like(rng, size):
    """Code and tables: half shrinks, half does not."""
    out = bytearray(b"MZ" + bytes(62))
    while len(out) < size:
        if rng.below(6) == 0:
            out += rng.noise(rng.between(64, 512))
        else:
            out += bytes([rng.below(8)]) * rng.between(32, 256)
    return bytes(out[:size])


class NameMaker:
    def __init__(self, rng):
        self.rng = rng
        self.used = set()

    def make(self, extension, stem_length=(4, 8)):
        while True:
            stem = "".join(SYLLABLES[self.rng.below(len(SYLLABLES))] for _ in range(4)).upper()
            stem = stem[:self.rng.between(*stem_length)]
            if stem in DEVICE_NAMES or stem.upper() in self.used:
                continue
            self.used.add(stem.upper())
            return stem + "." + extension


def generate(out_dir, main_program, main_name):
    rng = Random(0x4C4D5652)  # fixed: the same product on every run
    words = make_vocabulary(rng, 600)
    files = {}  # relative path (with "/") -> bytes

    files[main_name] = Path(main_program).read_bytes()
    files["readme.txt"] = text_file(rng, words, 9_000)
    files["order.txt"] = text_file(rng, words, 3_000)

    root_names = NameMaker(rng)
    for i in range(12):
        files[root_names.make("DLL")] = program_like(rng, rng.between(24_000, 60_000))
    for i in range(2):
        files[root_names.make("DAT")] = rng.noise(rng.between(20_000, 40_000))
    for i in range(8):
        files[root_names.make("TXT")] = text_file(rng, words, rng.between(2_000, 12_000))

    help_names = NameMaker(rng)
    pages = [help_names.make("HTM") for _ in range(300)]
    for name in pages:
        size = rng.between(4_000, 15_350)
        files["ENGLISH/" + name] = html_page(rng, words, name[:-4].capitalize(), pages, size)
    for i in range(10):
        files["ENGLISH/" + help_names.make("TXT")] = text_file(rng, words, rng.between(1_500, 6_000))

    image_names = NameMaker(rng)
    remaining = FILE_COUNT - len(files)
    for i in range(remaining):
        kind = i % 4
        if kind == 0:
            data = bitmap(rng, rng.between(32, 80), rng.between(32, 64))
            files["ENGLISH/IMAGES/" + image_names.make("BMP")] = data
        else:
            ext = ("GIF", "PNG", "JPG")[kind - 1]
            files["ENGLISH/IMAGES/" + image_names.make(ext)] = packed_image(rng, ext, rng.between(1_200, 4_000))

    assert len(files) == FILE_COUNT, len(files)
    shutil.rmtree(out_dir, ignore_errors=True)
    for relative, data in files.items():
        path = Path(out_dir) / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("out_dir")
    parser.add_argument("--main", required=True, help="the Windows program that becomes the main file")
    parser.add_argument("--name", default="LUMIVORA.EXE", help="its name in the product")
    args = parser.parse_args()
    files = generate(args.out_dir, args.main, args.name)
    total = sum(len(d) for d in files.values())
    # One solid stream, as lmvrpack packs it, for the figure printed here.
    packed = len(zlib.compress(b"".join(files[k] for k in files), 9))
    print(f"{args.out_dir}: {len(files)} files, {total:,} bytes, zlib level 9 keeps {100.0 * packed / total:.1f} %")
    return 0


if __name__ == "__main__":
    sys.exit(main())
