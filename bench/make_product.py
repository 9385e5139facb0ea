#!/usr/bin/env python3
"""Writes a full-size product folder for the benchmark, the same bytes on every run.

    make_product.py OUT_DIR --main PROGRAM [--name LUMIVORA.EXE]
    make_product.py OUT_DIR --main PROGRAM --files N --megabytes M

The shape is that of the product the installer was made for: 495 files, about
4.07 MB of file data, mixed so that zlib level 9 keeps about 31 % of it (help pages
in HTML, plain texts, small bitmaps that compress well, and images and data that do
not compress at all), in the install directory, ENGLISH and ENGLISH\\IMAGES, with the
main program first. Names follow the archive rules (8.3, upper case, no device
names), so `lmvrpack pack` takes the folder as it is.

With --files and --megabytes, the same kind of product at another size, for the
scale run: parts of about 495 files each with the same mix, the first in the install
directory and the others in PART01, PART02 ... (each with its own ENGLISH and
ENGLISH\\IMAGES, so no directory holds more files than the shipped product's
largest), every file's size scaled so that the whole comes to about M megabytes.
Its texts are drawn from a pool of paragraphs and its noise from SHAKE-256, so that
400 MB take about two minutes.
"""

import argparse
import hashlib
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
    write_product(out_dir, files)
    return files


class Pool:
    """The scale run's fast sources: prose from a fixed pool of paragraphs (large
    enough that deflate's 32 KiB window seldom sees one twice), noise from SHAKE-256."""

    def __init__(self, rng, words, paragraphs=3000):
        self.rng = rng
        self.paragraphs = [paragraph(rng, words) for _ in range(paragraphs)]
        self.sentences = [sentence(rng, words) for _ in range(paragraphs)]

    def prose(self, size, separator="\r\n\r\n", wrap=("", "")):
        parts = []
        length = 0
        while length < size:
            text = wrap[0] + self.paragraphs[self.rng.below(len(self.paragraphs))] + wrap[1] + separator
            parts.append(text)
            length += len(text)
        return "".join(parts)

    def html_page(self, title, links, size):
        head = ("<HTML>\r\n<HEAD>\r\n<TITLE>Lumivora Help: %s</TITLE>\r\n</HEAD>\r\n"
                '<BODY BGCOLOR="#FFFFFF" TEXT="#000000" LINK="#000080">\r\n<H1>%s</H1>\r\n' % (title, title))
        parts = [head]
        length = len(head)
        while length < size:
            choice = self.rng.below(6)
            if choice == 0:
                text = "<H2>%s</H2>\r\n" % self.sentences[self.rng.below(len(self.sentences))][:-1]
            elif choice == 1:
                target = links[self.rng.below(len(links))]
                text = '<P>See also <A HREF="%s">%s</A>.</P>\r\n' % (target, target[:-4].capitalize())
            else:
                text = self.prose(1, "\r\n", ("<P>", "</P>"))
            parts.append(text)
            length += len(text)
        parts.append("<HR>\r\n<ADDRESS>Lumivora image viewer</ADDRESS>\r\n</BODY>\r\n</HTML>\r\n")
        return "".join(parts).encode("ascii")[:size]

    def noise(self, size):
        return hashlib.shake_256(self.rng.next64().to_bytes(8, "little")).digest(size)

    def bitmap(self, width, height):
        """bitmap()'s picture, built a row at a time: flat left half, gradient right
        half, one grain in about 40 pixels."""
        palette = b"".join(struct.pack("<BBBB", i, (i * 3) & 0xFF, 255 - i, 0) for i in range(256))
        stride = (width + 3) & ~3
        rows = bytearray()
        base = self.rng.below(256)
        half = width // 2
        for y in range(height):
            band = (base + y // max(1, height // 6) * 37) & 0xFF
            row = bytearray([band]) * half + bytearray((band + x) & 0xFF for x in range(half, width))
            for _ in range(width // 40 + (1 if self.rng.below(40) < width % 40 else 0)):
                row[self.rng.below(width)] = self.rng.below(256)
            rows += row + bytes(stride - width)
        pixels = bytes(rows)
        offset = 14 + 40 + len(palette)
        header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
        return header + info + palette + pixels

    def program_like(self, size):
        out = bytearray(b"MZ" + bytes(62))
        while len(out) < size:
            if self.rng.below(6) == 0:
                out += self.noise(self.rng.between(64, 512))
            else:
                out += bytes([self.rng.below(8)]) * self.rng.between(32, 256)
        return bytes(out[:size])


# One part of the scaled product: its counts of each kind, as in the shipped product.
PART_DLLS, PART_DATS, PART_TEXTS, PART_PAGES, PART_HELP_TEXTS = 12, 2, 11, 300, 10
FIXED_PER_PART = PART_DLLS + PART_DATS + PART_TEXTS + PART_PAGES + PART_HELP_TEXTS
SHIPPED_BYTES_PER_FILE = 4_070_210 / FILE_COUNT


def generate_scaled(out_dir, main_program, main_name, file_count, megabytes):
    """The same kind of product with about `file_count` files and `megabytes` MB."""
    rng = Random(0x4C4D5653 ^ file_count)
    words = make_vocabulary(rng, 600)
    pool = Pool(rng, words)
    parts = max(1, round(file_count / FILE_COUNT))
    factor = megabytes * 1e6 / file_count / SHIPPED_BYTES_PER_FILE

    def size(low, high):
        return max(16, int(rng.between(low, high) * factor))

    files = {main_name: Path(main_program).read_bytes()}
    for part in range(parts):
        count = file_count // parts + (1 if part < file_count % parts else 0)
        top = "" if part == 0 else "PART%02d/" % part
        names = NameMaker(rng)
        if part == 0:
            files["readme.txt"] = pool.prose(9_000).encode("ascii")[:9_000]
            files["order.txt"] = pool.prose(3_000).encode("ascii")[:3_000]
        for _ in range(PART_DLLS):
            files[top + names.make("DLL")] = pool.program_like(size(24_000, 60_000))
        for _ in range(PART_DATS):
            files[top + names.make("DAT")] = pool.noise(size(20_000, 40_000))
        for _ in range(PART_TEXTS - (3 if part == 0 else 0)):
            n = size(2_000, 12_000)
            files[top + names.make("TXT")] = pool.prose(n).encode("ascii")[:n]
        help_names = NameMaker(rng)
        pages = [help_names.make("HTM") for _ in range(PART_PAGES)]
        for name in pages:
            files[top + "ENGLISH/" + name] = pool.html_page(name[:-4].capitalize(), pages, size(4_000, 15_350))
        for _ in range(PART_HELP_TEXTS):
            n = size(1_500, 6_000)
            files[top + "ENGLISH/" + help_names.make("TXT")] = pool.prose(n).encode("ascii")[:n]
        image_names = NameMaker(rng)
        for i in range(count - FIXED_PER_PART):
            kind = i % 4
            if kind == 0:
                # Pixels grow with the factor: each side by its square root.
                side = factor ** 0.5
                data = pool.bitmap(max(8, int(rng.between(32, 80) * side)), max(8, int(rng.between(32, 64) * side)))
                files[top + "ENGLISH/IMAGES/" + image_names.make("BMP")] = data
            else:
                ext = ("GIF", "PNG", "JPG")[kind - 1]
                signature = {"GIF": b"GIF89a", "PNG": b"\x89PNG\r\n\x1a\n", "JPG": b"\xff\xd8\xff\xe0\x00\x10JFIF\x00"}[ext]
                data = signature + pool.noise(size(1_200, 4_000) - len(signature))
                files[top + "ENGLISH/IMAGES/" + image_names.make(ext)] = data
    write_product(out_dir, files)
    return files


def write_product(out_dir, files):
    shutil.rmtree(out_dir, ignore_errors=True)
    for relative, data in files.items():
        path = Path(out_dir) / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("out_dir")
    parser.add_argument("--main", required=True, help="the Windows program that becomes the main file")
    parser.add_argument("--name", default="LUMIVORA.EXE", help="its name in the product")
    parser.add_argument("--files", type=int, help="a product of about this many files (with --megabytes)")
    parser.add_argument("--megabytes", type=float, help="and about this many megabytes of file data")
    args = parser.parse_args()
    if (args.files is None) != (args.megabytes is None):
        parser.error("--files and --megabytes go together")
    if args.files is not None:
        files = generate_scaled(args.out_dir, args.main, args.name, args.files, args.megabytes)
        total = sum(len(d) for d in files.values())
        # The compressed share is the packer's to tell at this size.
        print(f"{args.out_dir}: {len(files)} files, {total:,} bytes")
        return 0
    files = generate(args.out_dir, args.main, args.name)
    total = sum(len(d) for d in files.values())
    # One solid stream, as lmvrpack packs it, for the figure printed here.
    packed = len(zlib.compress(b"".join(files[k] for k in files), 9))
    print(f"{args.out_dir}: {len(files)} files, {total:,} bytes, zlib level 9 keeps {100.0 * packed / total:.1f} %")
    return 0


if __name__ == "__main__":
    sys.exit(main())
