#!/usr/bin/env python3
"""The size of the installer's stub: install.exe without its payload resource.

    stub_size.py build/bench-win32/install.exe [--limit 49152]

Prints the stub's size, the size of every section of the image (where the room
goes) and PASS or FAIL against the limit (48 KiB). Exit status 0 either way; 2 when
the file is no installer.
"""

import argparse
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from e2e_install import find_payload  # noqa: E402


def sections(image):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count = struct.unpack_from("<H", image, pe + 6)[0]
    optional = struct.unpack_from("<H", image, pe + 20)[0]
    out = []
    for i in range(count):
        s = pe + 24 + optional + 40 * i
        name = image[s:s + 8].rstrip(b"\0").decode("latin-1")
        virtual_size = struct.unpack_from("<I", image, s + 8)[0]
        raw_size = struct.unpack_from("<I", image, s + 16)[0]
        out.append((name, virtual_size, raw_size))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("installer")
    parser.add_argument("--limit", type=int, default=48 * 1024)
    args = parser.parse_args()
    image = Path(args.installer).read_bytes()
    try:
        _, payload_size, _ = find_payload(image)
    except (ValueError, struct.error) as error:
        print(f"stub_size: {args.installer}: {error}", file=sys.stderr)
        return 2
    stub = len(image) - payload_size
    print(f"install.exe {len(image):,} bytes, payload resource {payload_size:,} bytes")
    for name, virtual_size, raw_size in sections(image):
        note = f" (of which {payload_size:,} payload)" if name == ".rsrc" else ""
        print(f"  {name:8s} {raw_size:8,} bytes in the file, {virtual_size:8,} in memory{note}")
    verdict = "PASS" if stub <= args.limit else "FAIL"
    print(f"stub {stub:,} bytes (limit {args.limit:,}): {verdict}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
