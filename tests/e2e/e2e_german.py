#!/usr/bin/env python3
"""End-to-end tests of the German build (LMVR_LANGUAGES "E;G"): the real install.exe
under Wine and Xvfb, chosen German by "-language=G" or by the user's country, and a
language without texts of its own falling back to English.

Each case runs in its own copy of the prefix that e2e_install.py prepares:

    e2e_german.py --build-dir build/win32-de --work-dir build/win32-de/e2e test_language_g_walk

The user's country is set the way Wine 8 reads it for GetLocaleInfoA: the value
"iCountry" of HKEY_CURRENT_USER\\Control Panel\\International (the Unix locale would
need a generated de_DE locale on the host).
"""

import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import e2e_install  # noqa: E402
from e2e_install import IDCANCEL, IDOK, MESSAGE_TEXT, SKIP, Installation, find_payload  # noqa: E402

DESTINATION_DE = "Lumivora Installation - Windows (32-Bit)"
LICENCE_DE = "Lizenzvereinbarung"
ASSOCIATION_DE = "Lumivora-Installation"
COMPLETION_DE = "Installation abgeschlossen"
ERROR_DE = "Fehler"
SIZE_LINE = 102
LICENCE_TEXT = 101

# lmvr.opt of an interactive run without lmvropt.ini that chose German: one variable.
OPTIONS_GERMAN = b"\x01\x00prefLanguage\x0071\x00"


def ansi(data):
    """Text as window_driver prints it (Windows code page 1252, as Wine sets it up)."""
    return data.encode("latin-1").decode("cp1252")


class German(Installation):
    def set_country(self, code):
        self.prefix.run("reg", "add", r"HKEY_CURRENT_USER\Control Panel\International",
                        "/v", "iCountry", "/d", code, "/f")

    def text(self, title, control):
        return ansi(self.drive("text", title, str(control)))

    def walk_in_german(self, process):
        """Destination, licence, checklist (skipped), completion (not started), each in
        German; the run ends complete."""
        self.drive("wait", DESTINATION_DE)
        self.assertTrue(self.text(DESTINATION_DE, SIZE_LINE).startswith("Die Dateien belegen "))
        self.assertEqual(self.text(DESTINATION_DE, IDOK), "Lumivora installieren")
        self.drive("press", DESTINATION_DE, str(IDOK))
        self.drive("wait", LICENCE_DE)
        # window_driver reads the first 4 KB of the agreement: the start of the first block.
        licence = self.text(LICENCE_DE, LICENCE_TEXT)
        self.assertTrue(licence.startswith("LUMIVORA TESTLIZENZ\n\nBitte lesen Sie diese Lizenz"), licence[:80])
        self.assertIn("dreißig Tage", licence)
        self.drive("press", LICENCE_DE, str(IDOK))
        self.drive("wait", ASSOCIATION_DE)
        self.assertEqual(self.text(ASSOCIATION_DE, SKIP), "Überspringen")
        self.drive("press", ASSOCIATION_DE, str(SKIP))
        self.drive("wait", COMPLETION_DE, "60000")
        self.drive("press", COMPLETION_DE, str(IDCANCEL))
        self.assertEqual(process.wait(60), 0)
        self.assert_files_installed()
        self.assertEqual(self.target("lmvr.opt").read_bytes(), OPTIONS_GERMAN)

    def test_language_g_walk(self):
        self.walk_in_german(self.start_install("-language=G"))

    def test_country_49_switches_to_german(self):
        self.set_country("49")
        self.walk_in_german(self.start_install())

    def test_country_49_unattended_stays_english(self):
        self.set_country("49")
        self.options("sSilent=1\n")
        self.assertEqual(self.install(), 0)
        self.assertEqual(self.target("lmvr.opt").read_bytes(), b"\x01\x00sSilent\x001\x00")

    def test_language_g_damaged_payload_says_so_in_german(self):
        image = bytearray(self.installer.read_bytes())
        offset, size, _ = find_payload(image)
        struct.pack_into("<I", image, offset, (size - 4) // 2)  # the stream ends early
        self.installer.write_bytes(image)
        self.options("sSilent=1\n")
        process = self.start_install("-language=G")
        self.drive("wait", ERROR_DE, "30000")
        self.assertEqual(self.text(ERROR_DE, MESSAGE_TEXT), "Beschädigte Daten. Installation abgebrochen.")
        self.drive("press", ERROR_DE, str(IDOK))
        self.assertEqual(process.wait(60), 2)

    def test_language_f_falls_back_to_english(self):
        process = self.start_install("-language=F")
        self.drive("wait", e2e_install.DESTINATION)
        self.assertTrue(self.text(e2e_install.DESTINATION, SIZE_LINE).startswith("The installed files will occupy "))
        self.assertEqual(self.text(e2e_install.DESTINATION, IDOK), "Install Lumivora")
        self.drive("press", e2e_install.DESTINATION, str(IDOK))
        self.drive("wait", e2e_install.LICENCE)
        self.assertTrue(self.text(e2e_install.LICENCE, LICENCE_TEXT).startswith("LUMIVORA EVALUATION LICENCE"))
        self.drive("press", e2e_install.LICENCE, str(IDOK))
        self.drive("wait", e2e_install.ASSOCIATION)
        self.assertEqual(self.text(e2e_install.ASSOCIATION, SKIP), "Skip")
        self.drive("press", e2e_install.ASSOCIATION, str(SKIP))
        self.drive("wait", e2e_install.COMPLETION, "60000")
        self.drive("press", e2e_install.COMPLETION, str(IDCANCEL))
        self.assertEqual(process.wait(60), 0)
        self.assertEqual(self.target("lmvr.opt").read_bytes(), b"\x01\x00prefLanguage\x0070\x00")


def main():
    return e2e_install.main((German,), description=__doc__)


if __name__ == "__main__":
    sys.exit(main())
