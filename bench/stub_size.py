#!/usr/bin/env python3
"""The size of the installer's stub: install-stub.exe, the installer without its
payload resource, which lmvrpack build turns into install.exe.

    stub_size.py build/bench-win32/install.exe [--limit 57344] [--without-halt-places STUB]

Reads install-stub.exe beside the installer named. Prints the stub's size, the size
of every section of the stub (where the room goes), the installer's size with its
payload, and PASS or FAIL against the limit (56 KiB). With --without-halt-places, the
same stub built with its places of halt compiled away (bench/no_halt_places.h): what
they add to the shipped stub, section by section. Exit status 0 either way; 2 when a
file is missing or the installer holds no payload.
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
    parser.add_argument("--limit", type=int, default=56 * 1024)
    parser.add_argument("--without-halt-places", metavar="STUB")
    args = parser.parse_args()
    installer = Path(args.installer)
    stub_path = installer.with_name("install-stub.exe")
    try:
        image = installer.read_bytes()
        stub = stub_path.read_bytes()
        _, payload_size, _ = find_payload(image)
    except (OSError, ValueError, struct.error) as error:
        print(f"stub_size: {error}", file=sys.stderr)
        return 2
    print(f"install-stub.exe {len(stub):,} bytes; {installer.name} {len(image):,} bytes "
          f"with a payload resource of {payload_size:,} bytes")
    for name, virtual_size, raw_size in sections(stub):
        print(f"  {name:8s} {raw_size:8,} bytes in the file, {virtual_size:8,} in memory")
    verdict = "PASS" if len(stub) <= args.limit else "FAIL"
    print(f"stub {len(stub):,} bytes (limit {args.limit:,}): {verdict}")
    if args.without_halt_places:
        try:
            bare = Path(args.without_halt_places).read_bytes()
        except OSError as error:
            print(f"stub_size: {error}", file=sys.stderr)
            return 2
        bare_sections = {name: virtual_size for name, virtual_size, _ in sections(bare)}
        added = ", ".join(f"{name} {virtual_size - bare_sections.get(name, 0):+,}"
                          for name, virtual_size, _ in sections(stub))
        print(f"the places of halt in the shipped stub: {len(stub) - len(bare):+,} bytes in the file "
              f"({len(bare):,} without them); in memory {added}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
