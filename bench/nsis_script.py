#!/usr/bin/env python3
"""Writes an NSIS script that installs a product folder with the work install.exe does
in a silent run, for the benchmark's comparison:

    nsis_script.py PRODUCT_DIR --main LUMIVORA.EXE --compressor zlib -o OUT.nsi --exe OUT.exe

The files in the order lmvrpack packs them, one key per file below
HKCR\\Lumivora\\installed (and lmvr.opt and DEF.LMV), the file class with its icon and
open command, the ten associations with their predecessors saved, the uninstall entry,
the four Start Menu shortcuts, and the program started at the end. Run it with /S.
"""

import argparse
import sys
from pathlib import Path

EXTENSIONS = [".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"]


def ordered_files(root, main):
    """lmvrpack's order: the main program, the folder's own files, then each
    subdirectory depth first, names in ASCII order."""
    out = [Path(main)]

    def walk(directory, relative):
        entries = sorted(directory.iterdir(), key=lambda p: p.name.encode())
        for p in entries:
            rel = relative / p.name
            if p.is_file() and rel != Path(main):
                out.append(rel)
        for p in entries:
            if p.is_dir():
                walk(p, relative / p.name)

    walk(root, Path())
    return out


def nsis_text(text):
    """A string for an NSIS script: $ doubled, quotes escaped."""
    return text.replace("$", "$$").replace('"', '$\\"')


def script(root, main, compressor, exe, options_file):
    root = Path(root).resolve()
    lines = [
        "Unicode false",
        f"SetCompressor /FINAL {compressor}",
        'Name "Lumivora"',
        f'OutFile "{exe}"',
        'InstallDir "$PROGRAMFILES\\Lumivora"',
        "RequestExecutionLevel admin",
        "ShowInstDetails nevershow",
        "Section",
    ]
    current = None
    for rel in ordered_files(root, main):
        directory = "\\".join(rel.parent.parts)
        if directory != current:
            lines.append('  SetOutPath "$INSTDIR%s"' % ("\\" + directory if directory else ""))
            current = directory
        lines.append('  File "%s"' % (root / rel))
        record = "$".join(rel.parts)
        lines.append('  WriteRegStr HKCR "Lumivora\\installed\\%s" "" ""' % nsis_text(record))
    lines += [
        '  SetOutPath "$INSTDIR"',
        '  WriteRegStr HKCR "Lumivora\\installed\\DEF.LMV" "" ""',
        '  File "/oname=lmvr.opt" "%s"' % Path(options_file).resolve(),
        '  WriteRegStr HKCR "Lumivora\\installed\\lmvr.opt" "" ""',
        '  WriteRegStr HKCR "Lumivora" "" "Lumivora"',
        '  WriteRegStr HKCR "Lumivora\\DefaultIcon" "" "$INSTDIR\\%s,0"' % main,
        '  WriteRegStr HKCR "Lumivora\\shell\\open\\command" "" \'$INSTDIR\\%s "%%1"\'' % main,
    ]
    for ext in EXTENSIONS:
        lines += [
            '  ReadRegStr $0 HKCR "%s" ""' % ext,
            '  StrCmp $0 "Lumivora" +2',
            '  WriteRegStr HKCR "Lumivora\\license\\install\\%s" "" $0' % ext,
            '  WriteRegStr HKCR "%s" "" "Lumivora"' % ext,
        ]
    uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumivora"
    # The installer's EstimatedSize: its archive's total (per file the name-length byte,
    # the name with its NUL and the data) in kilobytes, rounded up.
    files = ordered_files(root, main)
    size_kb = (sum(2 + len(str(rel)) + (root / rel).stat().st_size for rel in files) + 1023) // 1024
    lines += [
        f'  WriteRegStr HKLM "{uninstall}" "DisplayName" "Lumivora"',
        f'  WriteRegStr HKLM "{uninstall}" "UninstallString" "$INSTDIR\\{main} . -u"',
        f'  WriteRegStr HKLM "{uninstall}" "QuietUninstallString" "$INSTDIR\\{main} . -u -silent"',
        f'  WriteRegStr HKLM "{uninstall}" "DisplayIcon" "$INSTDIR\\{main},0"',
        f'  WriteRegStr HKLM "{uninstall}" "DisplayVersion" "2.1.0"',
        f'  WriteRegStr HKLM "{uninstall}" "Publisher" "Lumivora Software"',
        f'  WriteRegStr HKLM "{uninstall}" "InstallLocation" "$INSTDIR"',
        f'  WriteRegDWORD HKLM "{uninstall}" "EstimatedSize" {size_kb}',
        f'  WriteRegDWORD HKLM "{uninstall}" "NoModify" 1',
        f'  WriteRegDWORD HKLM "{uninstall}" "NoRepair" 1',
        '  CreateDirectory "$SMPROGRAMS\\Lumivora"',
        f'  CreateShortCut "$SMPROGRAMS\\Lumivora\\Lumivora.lnk" "$INSTDIR\\{main}"',
        f'  CreateShortCut "$SMPROGRAMS\\Lumivora\\Uninstall Lumivora.lnk" "$INSTDIR\\{main}" ". -u" "$INSTDIR\\{main}" 1',
        f'  CreateShortCut "$SMPROGRAMS\\Lumivora\\Lumivora Release Notes.lnk" "$INSTDIR\\readme.txt" "" "$INSTDIR\\{main}" 2',
        f'  CreateShortCut "$SMPROGRAMS\\Lumivora\\Lumivora Order Form.lnk" "$INSTDIR\\order.txt" "" "$INSTDIR\\{main}" 2',
        f'  Exec \'"$INSTDIR\\{main}"\'',
        "SectionEnd",
    ]
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("product")
    parser.add_argument("--main", required=True)
    parser.add_argument("--compressor", default="zlib", choices=["zlib", "lzma", "bzip2"])
    parser.add_argument("--exe", required=True, help="the installer makensis is to write")
    parser.add_argument("--options-file", required=True, help="the lmvr.opt the installer writes")
    parser.add_argument("-o", "--output", required=True)
    args = parser.parse_args()
    Path(args.output).write_text(script(args.product, args.main, args.compressor, args.exe, args.options_file))
    return 0


if __name__ == "__main__":
    sys.exit(main())
