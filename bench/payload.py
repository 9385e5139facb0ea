#!/usr/bin/env python3
"""Writes the payload of a built installer (resource 512/301, the bytes lmvrpack
build put into the stub) to a file, so that the floor program carries the very
payload install.exe carries; with --without-digest also the installer with its
payload's digest hidden, as an older lmvrpack built it.

    payload.py build/bench-win32/install.exe build/bench-work/payload.bin
               [--without-digest build/bench-work/install-no-digest.exe]
"""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from e2e_install import find_payload, hide_digest  # noqa: E402


def main():
    if len(sys.argv) not in (3, 5) or (len(sys.argv) == 5 and sys.argv[3] != "--without-digest"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    image = Path(sys.argv[1]).read_bytes()
    try:
        offset, size, _ = find_payload(image)
    except ValueError as error:
        print(f"payload: {sys.argv[1]}: {error}", file=sys.stderr)
        return 2
    out = Path(sys.argv[2])
    # Rewritten only when the bytes changed, so that the floor is linked again only then.
    if not out.exists() or out.read_bytes() != image[offset:offset + size]:
        out.write_bytes(image[offset:offset + size])
    if len(sys.argv) == 5:
        older = bytearray(image)
        hide_digest(older)
        Path(sys.argv[4]).write_bytes(older)
    return 0


if __name__ == "__main__":
    sys.exit(main())
