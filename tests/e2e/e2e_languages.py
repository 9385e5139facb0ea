#!/usr/bin/env python3
"""End-to-end tests of an installer that packs languages (preset win32-languages): the
real install.exe under Wine and Xvfb, walked through in every language of the table
below, each dialog's caption and texts compared with its translator's file; the
automatic choice by the user's country or language; a message box in German.

Each case runs in its own copy of the prefix that e2e_install.py prepares:

    e2e_languages.py --build-dir build/win32-languages --work-dir build/win32-languages/e2e test_language_f_walk

The user's country is set the way Wine 8 reads it for GetLocaleInfoA: the value
"iCountry" of HKEY_CURRENT_USER\\Control Panel\\International; the user's language
comes from the name of the Unix locale (LC_ALL), which need not be generated.
"""

import re
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import e2e_install  # noqa: E402
from e2e_install import IDCANCEL, IDOK, MESSAGE_TEXT, SKIP, Installation, find_payload  # noqa: E402

LANGUAGE_DIR = Path(__file__).resolve().parents[2] / "languages"
# The languages an installer may carry besides English: letter, translator's file.
LANGUAGES = {"G": "de.po", "F": "fr.po", "S": "es.po", "I": "it.po", "P": "pt.po", "D": "nl.po"}
# The dialogs of a walk in order: base template, the button that goes on.
WALK = ((200, IDOK), (210, IDOK), (240, SKIP), (230, IDCANCEL))


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m[1], m[1]), text)


def read_po(name):
    """msgctxt -> the text the installer shows: msgstr, or msgid where it is empty."""
    entries, entry, field = {}, {}, None
    for line in (LANGUAGE_DIR / name).read_text(encoding="utf-8").splitlines() + [""]:
        keyword, _, rest = line.partition(" ")
        if keyword in ("msgctxt", "msgid", "msgstr"):
            field, line = keyword, rest
            entry[field] = ""
        if line.startswith('"'):
            entry[field] += unescape(line[1:-1])
        elif not line.strip():
            if "msgctxt" in entry:
                entries[entry["msgctxt"]] = entry["msgstr"] or entry["msgid"]
            entry = {}
    return entries


def ansi(data):
    """Text as window_driver prints it (Windows code page 1252, as Wine sets it up)."""
    return data.encode("latin-1").decode("cp1252")


class Languages(Installation):
    def set_country(self, code):
        self.prefix.run("reg", "add", r"HKEY_CURRENT_USER\Control Panel\International",
                        "/v", "iCountry", "/d", code, "/f")

    def texts(self, title):
        return [unescape(line) for line in ansi(self.drive("texts", title)).split("\n")]

    def walk(self, letter, process):
        """Destination, licence, checklist (skipped), completion (not started), each
        with the caption and texts of the letter's file; the run ends complete and
        lmvr.opt hands on the letter."""
        po = read_po(LANGUAGES[letter])
        po["210.4"] = po["license"] + po["license2"] + po["license3"]
        before, _, after = po["occupy"].partition("%ld")
        for base, button in WALK:
            title = po["winTit"] if base == 200 else po[f"{base}.caption"]
            self.drive("wait", title, "60000")
            for position, shown in enumerate(self.texts(title), 1):
                key = f"{base}.{position}"
                if key == "200.7":  # the size line
                    self.assertRegex(shown, "^" + re.escape(before) + "[0-9]+" + re.escape(after) + "$")
                elif key in po:
                    self.assertEqual(shown, po[key], f"{letter}: control {key}")
            self.drive("press", title, str(button))
        self.assertEqual(process.wait(60), 0)
        self.assert_files_installed()
        self.assertEqual(self.target("lmvr.opt").read_bytes(),
                         b"\x01\x00prefLanguage\x00" + str(ord(letter)).encode() + b"\x00")

    def test_country_49_switches_to_german(self):
        self.set_country("49")
        self.walk("G", self.start_install())

    def test_user_language_french_switches_to_french(self):
        # Wine takes the user's language (LOCALE_ILANGUAGE) from the Unix locale's name;
        # only the installer gets it, since window_driver's titles need the UTF-8 one.
        environment = self.prefix.env
        self.prefix.env = {**environment, "LC_ALL": "fr_FR.UTF-8"}
        process = self.start_install()
        self.prefix.env = environment
        self.walk("F", process)

    def test_country_49_unattended_stays_english(self):
        self.set_country("49")
        self.options("sSilent=1\n")
        self.assertEqual(self.install(), 0)
        self.assertEqual(self.target("lmvr.opt").read_bytes(), b"\x01\x00sSilent\x001\x00")

    def test_language_g_damaged_payload_says_so_in_german(self):
        po = read_po("de.po")
        image = bytearray(self.installer.read_bytes())
        offset, size, _ = find_payload(image)
        struct.pack_into("<I", image, offset, (size - 4) // 2)  # the stream ends early
        self.installer.write_bytes(image)
        self.options("sSilent=1\n")
        process = self.start_install("-language=G")
        self.drive("wait", po["err"], "30000")
        self.assertEqual(ansi(self.drive("text", po["err"], MESSAGE_TEXT)), po["corData"])
        self.drive("press", po["err"], str(IDOK))
        self.assertEqual(process.wait(60), 2)


# One walk per language of the table, started by "-language=" and its letter.
for _letter in LANGUAGES:
    setattr(Languages, f"test_language_{_letter.lower()}_walk",
            lambda self, letter=_letter: self.walk(letter, self.start_install(f"-language={letter}")))


def main():
    return e2e_install.main((Languages,), description=__doc__)


if __name__ == "__main__":
    sys.exit(main())
