#!/usr/bin/env python3
"""End-to-end tests: the real install.exe of the build under Wine and Xvfb.

Each case runs in its own copy of a prepared Wine prefix, with the Wine desktop (and
so the shell's Program Manager service) up, as on a real machine.

    e2e_install.py --build-dir build/win32 --work-dir build/win32/e2e --prepare
    e2e_install.py --build-dir build/win32 --work-dir build/win32/e2e test_silent_defaults
    e2e_install.py --build-dir build/win32 --work-dir build/win32/e2e --cleanup
"""

import argparse
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import wine_session  # noqa: E402
from wine_session import (EXTENSIONS, PRODUCT_DIR, UNINSTALL_KEY, Screen, WinePrefix,  # noqa: E402
                          wait_for)

ARGS = None
MAIN_PROGRAM = "LUMIVORA.EXE"
LONG_MAIN = PRODUCT_DIR + "\\" + MAIN_PROGRAM

DESTINATION = "Lumivora Install - Windows (32-bit)"
LICENCE = "License Agreement"
ASSOCIATION = "Lumivora Installation"
COMPLETION = "Installation Complete"
ERROR = "Error"
IDOK, IDCANCEL, SKIP, PATH_FIELD = 1, 2, 113, 101
MESSAGE_TEXT = 0xFFFF
CORRUPTED = "Corrupted data. Installation aborted."


def no_room(free_kb, unit=4096):
    """The box of a drive with `free_kb` free: the product's files each rounded up to
    the drive's unit, and one unit for the options file."""
    needed = sum(-(-len(data) // unit) * unit for data in product_files().values()) + unit
    return (f"There is not enough free space on the target disk: the installed files need {needed // 1024}K, "
            f"and {free_kb}K are free.\r\n\r\nPlease make room on the disk or choose another directory.")


def work_dir():
    # LMVR_E2E_WORK_ROOT moves the prefixes elsewhere, one folder per build: the
    # emulated machine puts them on its own tmpfs, where Wine is much faster than over
    # the shared host folder.
    root = os.environ.get("LMVR_E2E_WORK_ROOT")
    if root:
        return Path(root) / Path(ARGS.build_dir).resolve().name
    return Path(ARGS.work_dir).resolve()


def driver_path():
    return Path(ARGS.build_dir) / "tests" / "window_driver.exe"


def product_files():
    """{relative path with backslashes: bytes} of the product that install.exe carries."""
    root = Path(ARGS.build_dir) / "examples" / "product"
    files = {}
    for path in sorted(root.rglob("*")):
        if path.is_file():
            files[str(path.relative_to(root)).replace("/", "\\")] = path.read_bytes()
    return files


def find_payload(image, resource=301):
    """(offset, size, where the type's entry stands) of resource 512/301 (or 512/`resource`)
    in a PE image; for another resource, where its id's entry stands instead."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    optional = struct.unpack_from("<H", image, pe + 20)[0]
    opt = pe + 24
    # The data directories follow a PE32+ image's wider optional header 16 bytes later.
    directories = opt + (112 if struct.unpack_from("<H", image, opt)[0] == 0x20B else 96)
    rsrc_rva = struct.unpack_from("<I", image, directories + 8 * 2)[0]
    table = []
    for i in range(sections):
        s = opt + optional + 40 * i
        vsize, va, rsize, raw = struct.unpack_from("<IIII", image, s + 8)
        table.append((va, max(vsize, rsize), raw))

    def offset(rva):
        for va, size, raw in table:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva outside the image")

    base = offset(rsrc_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + ids):
            yield (base + directory + 16 + 8 * i,) + struct.unpack_from("<II", image, base + directory + 16 + 8 * i)

    for type_at, type_id, type_target in entries(0):
        if type_id != 512:
            continue
        for id_at, res_id, res_target in entries(type_target & 0x7FFFFFFF):
            if res_id != resource:
                continue
            for _, _, data in entries(res_target & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, base + data)
                return offset(rva), size, type_at if resource == 301 else id_at
    raise ValueError(f"no resource 512/{resource}")


def hide_digest(image):
    """The installer as an older lmvrpack built it: its payload's digest (512/303) moved
    to an id it does not look for, so that it checks the payload by inflating it."""
    _, _, id_at = find_payload(image, 303)
    struct.pack_into("<I", image, id_at, 399)  # still the last id of its type, in order


class Installation(unittest.TestCase):
    """One case: a fresh copy of the prepared prefix, the installer next to an
    optional lmvropt.ini, the desktop up."""

    def setUp(self):
        self.case_dir = work_dir() / "cases" / self._testMethodName
        shutil.rmtree(self.case_dir, ignore_errors=True)
        self.case_dir.mkdir(parents=True)
        display = (work_dir() / "display").read_text().strip()
        self.driver = driver_path()
        self.prefix = WinePrefix(work_dir() / "base", display, driver=self.driver).copy_to(self.case_dir / "prefix")
        self.media = self.prefix.unix_path(r"C:\media")
        self.media.mkdir()
        self.installer = self.media / "install.exe"
        shutil.copy(Path(ARGS.build_dir) / "install.exe", self.installer)
        self.prefix.start_server()
        self.holder = self.prefix.desktop_up()
        self.extensions_before = {ext: self.prefix.reg_query("HKEY_CLASSES_ROOT\\" + ext) for ext in EXTENSIONS}

    def tearDown(self):
        self.prefix.stop()
        self.holder.wait(10)
        # LMVR_E2E_KEEP=1 keeps the case's prefix for a look after a failure.
        if not os.environ.get("LMVR_E2E_KEEP"):
            shutil.rmtree(self.case_dir, ignore_errors=True)

    # -- helpers --------------------------------------------------------------
    def options(self, text):
        (self.media / "lmvropt.ini").write_bytes(text.encode("latin-1"))

    def install(self, *args, timeout=120):
        status, out, err = self.prefix.run(r"C:\media\install.exe", *args, timeout=timeout)
        return status

    def start_install(self, *args):
        return self.prefix.start(r"C:\media\install.exe", *args)

    def drive(self, *args, expect=0):
        status, out, err = self.prefix.run(self.driver, *args)
        self.assertEqual(status, expect, f"window_driver {args}: {err.strip()}")
        return out.strip()

    def target(self, relative=""):
        return self.prefix.unix_path(PRODUCT_DIR + ("\\" + relative if relative else ""))

    def short_main(self):
        """The short form of the program's path, as this prefix's file system gives it
        (Wine makes up its own short names, such as PROG~FBU)."""
        short = self.drive("shortpath", LONG_MAIN)
        self.assertNotIn(" ", short)
        return short

    def started_lines(self, expect_some=True):
        log = self.target("lmvr-started.log")
        if expect_some:
            wait_for(log.exists, 20)
        return log.read_text().splitlines() if log.exists() else []

    def classes(self, key=""):
        return self.prefix.reg_query("HKEY_CLASSES_ROOT\\Lumivora" + ("\\" + key if key else ""))

    # -- what a complete installation leaves ------------------------------------
    def assert_files_installed(self):
        for relative, data in product_files().items():
            path = self.target(relative)
            self.assertTrue(path.is_file(), f"{relative} not installed")
            self.assertEqual(path.read_bytes(), data, f"{relative} differs from the product")

    def assert_class_registered(self, open_suffix=' "%1"'):
        keys = self.classes()
        self.assertEqual(keys["HKEY_CLASSES_ROOT\\Lumivora"][""], "Lumivora")
        self.assertEqual(keys["HKEY_CLASSES_ROOT\\Lumivora\\DefaultIcon"][""], LONG_MAIN + ",0")
        self.assertEqual(keys["HKEY_CLASSES_ROOT\\Lumivora\\shell\\open\\command"][""], LONG_MAIN + open_suffix)
        uninstall = self.prefix.reg_query(UNINSTALL_KEY)[UNINSTALL_KEY]
        # The archive's total: per file its name-length byte, its name with the NUL
        # (as long as its path) and its data; in kilobytes, rounded up.
        archive_total = sum(2 + len(name) + len(data) for name, data in product_files().items())
        self.assertEqual(uninstall, {
            "DisplayName": "Lumivora",
            "UninstallString": '"' + LONG_MAIN + '" . -u',
            "QuietUninstallString": '"' + LONG_MAIN + '" . -u -silent',
            "DisplayIcon": LONG_MAIN + ",0",
            # The sample program's version resource, which lmvrpack handed on.
            "DisplayVersion": "2.1.0",
            "Publisher": "Lumivora Software",
            "InstallLocation": PRODUCT_DIR,
            "EstimatedSize": hex((archive_total + 1023) // 1024),
            "NoModify": "0x1",
            "NoRepair": "0x1",
        })
        records = {k.rsplit("\\", 1)[1] for k in keys if k.startswith("HKEY_CLASSES_ROOT\\Lumivora\\installed\\")}
        expected = {name.replace("\\", "$") for name in product_files()} | {"DEF.LMV"}
        self.assertTrue(expected <= records, f"records missing: {sorted(expected - records)}")
        return keys

    def assert_extensions_associated(self, keys):
        for ext in EXTENSIONS:
            self.assertEqual(self.prefix.default_value("HKEY_CLASSES_ROOT\\" + ext), "Lumivora", ext)
            before = self.extensions_before[ext].get("HKEY_CLASSES_ROOT\\" + ext, {}).get("", "")
            saved = keys.get("HKEY_CLASSES_ROOT\\Lumivora\\license\\install\\" + ext, {}).get("")
            self.assertEqual(saved, before, f"predecessor of {ext}")

    def assert_extensions_untouched(self):
        for ext in EXTENSIONS:
            self.assertEqual(self.prefix.reg_query("HKEY_CLASSES_ROOT\\" + ext), self.extensions_before[ext], ext)
        self.assertEqual({k for k in self.classes() if "\\license\\" in k}, set())

    def assert_group(self):
        group = self.prefix.start_menu_group()
        self.assertIsNotNone(group, "no Start Menu group Lumivora")
        names = sorted(p.name for p in group.iterdir())
        # Wine's Program Manager refuses the uninstall item (a command line with
        # arguments), a required command: the items after it are not sent.
        self.assertEqual(names, ["Lumivora.lnk"])

    def assert_nothing_installed(self):
        self.assertFalse(self.target().exists(), "install directory created")
        self.assertEqual(self.classes(), {})
        self.assertEqual(self.prefix.reg_query(UNINSTALL_KEY), {})
        self.assert_extensions_untouched()

    def assert_error_box(self, text_start):
        self.drive("wait", ERROR, "30000")
        text = self.drive("text", ERROR, str(MESSAGE_TEXT))
        self.assertTrue(text.startswith(text_start), text)
        self.drive("press", ERROR, str(IDOK))
        return text

    # -- silent installations -------------------------------------------------
    def test_silent_defaults(self):
        self.options("sSilent=1\r\n")
        self.assertEqual(self.install(), 0)
        self.assert_files_installed()
        keys = self.assert_class_registered()
        self.assert_extensions_associated(keys)
        self.assert_group()
        self.assertEqual(self.target("lmvr.opt").read_bytes(), b"\x01\x00sSilent\x001\x00")
        self.assertIn("HKEY_CLASSES_ROOT\\Lumivora\\installed\\lmvr.opt", keys)
        self.assertEqual(self.started_lines(), ["started: " + self.short_main()])

    def test_dlls_come_from_system32_only(self):
        """DLLs of the names system code loads, planted beside the installer: once the
        installer runs, the loader's trace finds none of them there, and none runs."""
        # What Wine's own kernel32, advapi32 and user32 import, resolved before the
        # installer's first instruction; a Wine quirk: Wine looks for these beside any
        # program, where Windows takes them from System32 as known DLLs.
        before_entry = {"msvcrt", "ucrtbase", "sechost", "win32u", "version", "imm32"}
        planted = before_entry | {"uxtheme", "dwmapi", "rpcrt4", "combase", "ole32", "oleaut32", "userenv",
                                  "cryptbase", "apphelp", "propsys", "setupapi", "msctf", "comctl32", "shell32"}
        module = Path(ARGS.build_dir) / "tests" / "fixtures" / "payload_empty.dll"
        for name in planted:
            shutil.copy(module, self.media / (name + ".dll"))
        self.options("sSilent=1\r\n")
        status, _, trace = self.prefix.run(r"C:\media\install.exe", env={"WINEDEBUG": "+loaddll"})
        self.assertEqual(status, 0)
        self.assert_files_installed()
        found = re.findall(r'Loaded L"C:\\\\media\\\\([^"]+)\.(?:dll|exe)" at \w+: (\w+)', trace, re.I)
        self.assertIn(("install", "native"), found)
        beside = {name.lower() for name, _ in found} - {"install"}
        self.assertLessEqual(beside, before_entry, "looked up beside the installer")
        self.assertEqual([name for name, kind in found if kind != "builtin" and name != "install"], [],
                         "a planted DLL was loaded")

    def test_silent_without_associations(self):
        self.options("sSilent=\r\nsSilent=yes\r\nsAssoc=0\r\n")
        self.assertEqual(self.install(), 0)
        self.assert_files_installed()
        self.assert_class_registered()
        self.assert_extensions_untouched()

    def test_silent_association_value_256_associates_nothing(self):
        self.options("sSilent=1\nsAssoc=256\n")
        self.assertEqual(self.install(), 0)
        self.assert_class_registered()
        self.assert_extensions_untouched()

    def test_silent_association_value_minus_one_leaves(self):
        self.options("sSilent=1\nsAssoc=-1\n")
        self.assertEqual(self.install(), 1)
        self.assert_nothing_installed()
        self.assertEqual(self.started_lines(expect_some=False), [])

    def test_silent_german_and_noautorun(self):
        self.options("sSilent=1\n")
        self.assertEqual(self.install("-language=G", "-noautorun"), 0)
        self.assertEqual(self.target("lmvr.opt").read_bytes(),
                         b"\x02\x00sSilent\x001\x00prefLanguage\x0071\x00")
        # Unattended, the program is started whatever -noautorun says.
        self.assertEqual(self.started_lines(), ["started: " + self.short_main()])

    def test_silent_keeps_an_existing_options_file_and_a_foreign_class(self):
        self.target().mkdir(parents=True)
        self.target("lmvr.opt").write_bytes(b"kept")
        self.prefix.run("reg", "add", "HKEY_CLASSES_ROOT\\.gif", "/ve", "/d", "OtherViewer.Gif", "/f")
        self.extensions_before[".gif"] = self.prefix.reg_query("HKEY_CLASSES_ROOT\\.gif")
        self.options("sSilent=1\nsDefPathNT=C:\\Elsewhere\n")
        self.assertEqual(self.install(), 0)
        self.assertEqual(self.target("lmvr.opt").read_bytes(), b"kept")
        keys = self.classes()
        self.assertNotIn("HKEY_CLASSES_ROOT\\Lumivora\\installed\\lmvr.opt", keys)
        self.assertEqual(keys["HKEY_CLASSES_ROOT\\Lumivora\\license\\install\\.gif"][""], "OtherViewer.Gif")
        self.assertEqual(self.prefix.default_value("HKEY_CLASSES_ROOT\\.gif"), "Lumivora")
        # sDefPathNT only steers the destination dialog, which a silent run never shows.
        self.assertFalse(self.prefix.unix_path("C:\\Elsewhere").exists())

    def set_windows_version(self, version):
        self.prefix.run("reg", "add", "HKEY_CURRENT_USER\\Software\\Wine", "/v", "Version", "/d", version, "/f")

    def test_silent_on_windows_95_quotes_the_open_argument(self):
        self.set_windows_version("win95")
        self.options("sSilent=1\nsAssoc=0\n")
        self.assertEqual(self.install(), 0)
        self.assert_class_registered(open_suffix=' "%1"')

    def test_silent_on_win32s_leaves_the_open_argument_bare(self):
        self.set_windows_version("win31")
        self.options("sSilent=1\nsAssoc=0\n")
        self.assertEqual(self.install(), 0)
        self.assert_class_registered(open_suffix=" %1")

    # -- interactive installations ---------------------------------------------
    def test_interactive_enter_all_the_way_skipping_associations(self):
        process = self.start_install()
        self.drive("wait", DESTINATION)
        self.assertEqual(self.drive("text", DESTINATION, str(PATH_FIELD)), PRODUCT_DIR)
        self.drive("key", DESTINATION, "enter")
        self.drive("wait", LICENCE)
        self.drive("key", LICENCE, "enter")
        self.drive("wait", ASSOCIATION)
        self.drive("key", ASSOCIATION, "enter")  # the default button is Skip
        self.drive("wait", COMPLETION, "60000")
        self.drive("key", COMPLETION, "enter")
        self.assertEqual(process.wait(60), 0)
        self.assert_files_installed()
        self.assert_class_registered()
        self.assert_extensions_untouched()
        self.assert_group()
        self.assertFalse(self.target("lmvr.opt").exists())  # nothing to hand on
        self.assertEqual(self.started_lines(), ["started: " + self.short_main()])

    def test_interactive_exit_at_destination_leaves_the_machine_untouched(self):
        process = self.start_install()
        self.drive("wait", DESTINATION)
        self.drive("press", DESTINATION, str(IDCANCEL))
        self.assertEqual(process.wait(60), 1)
        self.assert_nothing_installed()
        self.assertIsNone(self.prefix.start_menu_group())

    def test_interactive_declining_to_start_keeps_a_complete_installation(self):
        process = self.start_install()
        for title in (DESTINATION, LICENCE):
            self.drive("wait", title)
            self.drive("press", title, str(IDOK))
        self.drive("wait", ASSOCIATION)
        self.drive("press", ASSOCIATION, str(IDOK))  # Associate Files, all boxes checked
        self.drive("wait", COMPLETION, "60000")
        self.drive("press", COMPLETION, str(IDCANCEL))
        self.assertEqual(process.wait(60), 0)
        self.assert_files_installed()
        self.assert_extensions_associated(self.assert_class_registered())
        self.assertEqual(self.started_lines(expect_some=False), [])

    def test_interactive_noautorun_offers_only_exit(self):
        process = self.start_install("-noautorun")
        for title in (DESTINATION, LICENCE):
            self.drive("wait", title)
            self.drive("press", title, str(IDOK))
        self.drive("wait", ASSOCIATION)
        self.drive("press", ASSOCIATION, str(SKIP))
        self.drive("wait", COMPLETION, "60000")
        self.assertEqual(self.drive("state", COMPLETION, str(IDOK)).split()[0], "visible=0")
        self.assertEqual(self.drive("state", COMPLETION, "114").split()[0], "visible=0")
        self.assertEqual(self.drive("state", COMPLETION, "115").split()[0], "visible=0")
        # Wine's Program Manager opens the group's folder window on top; a click on
        # the dialog brings it back, with the focus on the one button left.
        self.drive("activate", COMPLETION)
        self.assertEqual(self.drive("state", COMPLETION, str(IDCANCEL)).split()[:2], ["visible=1", "focused=1"])
        self.drive("key", COMPLETION, "enter")
        self.assertEqual(process.wait(60), 0)
        self.assertEqual(self.started_lines(expect_some=False), [])

    def test_interactive_unresolvable_path_asks_again(self):
        self.options("sDefPathNT=C:\\Lumivora Test\n")
        process = self.start_install()
        self.drive("wait", DESTINATION)
        self.assertEqual(self.drive("text", DESTINATION, str(PATH_FIELD)), "C:\\Lumivora Test")
        # A relative name that only just fits the field grows past the longest full
        # path once the current directory is put in front of it.
        self.drive("settext", DESTINATION, str(PATH_FIELD), "x" * 255)
        self.drive("press", DESTINATION, str(IDOK))
        self.drive("wait", LICENCE)
        self.drive("press", LICENCE, str(IDOK))
        self.drive("wait", ASSOCIATION)
        self.drive("press", ASSOCIATION, str(SKIP))
        self.assertEqual(self.assert_error_box("Unable to create the path you've entered."),
                         "Unable to create the path you've entered.")
        self.drive("wait", DESTINATION)
        # The options file's directory again, not what was typed.
        self.assertEqual(self.drive("text", DESTINATION, str(PATH_FIELD)), "C:\\Lumivora Test")
        self.drive("press", DESTINATION, str(IDCANCEL))
        self.assertEqual(process.wait(60), 1)
        self.assert_nothing_installed()

    def test_interactive_directory_too_deep_for_its_files_is_refused(self):
        # One character more than a path may have, 127 with the directory, and one less.
        deep = "C:\\Deep\\" + "x" * (127 - 1 - max(map(len, product_files())) - 7)
        process = self.start_install()
        self.drive("wait", DESTINATION)
        self.drive("settext", DESTINATION, str(PATH_FIELD), deep)
        for title, button in ((DESTINATION, IDOK), (LICENCE, IDOK), (ASSOCIATION, SKIP)):
            self.drive("wait", title, "60000")
            self.drive("press", title, str(button))
        self.assert_error_box("Unable to create the path you've entered.")
        self.assertFalse(self.prefix.unix_path("C:\\Deep").exists())
        self.drive("wait", DESTINATION)
        self.drive("settext", DESTINATION, str(PATH_FIELD), deep[:-1])
        for title, button in ((DESTINATION, IDOK), (COMPLETION, IDCANCEL)):
            self.drive("wait", title, "60000")
            self.drive("press", title, str(button))
        self.assertEqual(process.wait(60), 0)
        self.assertTrue(self.prefix.unix_path(deep[:-1] + "\\" + max(product_files(), key=len)).is_file())

    def test_a_second_installer_during_a_first_ends_at_once(self):
        first = self.start_install()
        self.drive("wait", DESTINATION, "60000")
        self.options("sSilent=1\nsNoBoxes=1\nsLog=C:\\media\\install.log\n")
        self.assertEqual(self.run_command_line(r"C:\media\install.exe"), 1618)
        log = (self.media / "install.log").read_text("latin-1")
        self.assertIn("error, no box: Another Lumivora installation is running.", log)
        self.assertTrue(log.splitlines()[-1].endswith("exit 1618: another installation is running"), log)
        # Nor does an uninstall run beside it.
        (self.media / MAIN_PROGRAM).write_bytes(product_files()[MAIN_PROGRAM])
        self.assertEqual(self.run_command_line(r"C:\media\LUMIVORA.EXE . -u -silent"), 1618)
        self.assert_nothing_installed()
        self.drive("press", DESTINATION, str(IDCANCEL))
        self.assertEqual(first.wait(60), 1)

    def run_command_line(self, line):
        """Runs `line` as a deployment tool does, word for word, from a batch file: the
        exit status whole (the wine command's own status keeps only its low 8 bits)."""
        (self.media / "run.bat").write_bytes(f"{line}\r\necho %ERRORLEVEL%> C:\\media\\status.txt\r\n".encode())
        self.prefix.run("cmd", "/c", r"C:\media\run.bat")
        return int((self.media / "status.txt").read_text().strip())

    def test_switches_alone_install_unattended_where_they_say_and_the_quiet_command_removes_it(self):
        directory = r"C:\Apps\Lumi Vora"
        line = rf'C:\media\install.exe -silent -dir="{directory}" -log="C:\logs\lumi.log" -quiet'
        self.assertEqual(self.run_command_line(line), 0)
        for relative, data in product_files().items():
            self.assertEqual(self.prefix.unix_path(directory + "\\" + relative).read_bytes(), data, relative)
        self.assertFalse(self.target().exists())
        log = self.prefix.unix_path(r"C:\logs\lumi.log").read_text("latin-1").splitlines()
        self.assertTrue(log[-1].endswith("exit 0: completed"), log)
        self.assertTrue(any(line.endswith("warning: -quiet is no switch of the installer: ignored") for line in log))
        # Nothing started, and nothing handed on: there was no lmvropt.ini.
        self.assertFalse(self.prefix.unix_path(directory + r"\lmvr-started.log").exists())
        self.assertFalse(self.prefix.unix_path(directory + r"\lmvr.opt").exists())
        entry = self.prefix.reg_query(UNINSTALL_KEY)[UNINSTALL_KEY]
        self.assertEqual(entry["InstallLocation"], directory)
        self.assertEqual(entry["QuietUninstallString"], f'"{directory}\\{MAIN_PROGRAM}" . -u -silent')
        self.assertEqual(self.run_command_line(entry["QuietUninstallString"]), 0)
        self.assertEqual(self.prefix.reg_query(UNINSTALL_KEY), {})
        self.assertEqual(self.classes(), {})
        self.assertFalse(self.prefix.unix_path(directory + r"\readme.txt").exists())

    # -- failures ---------------------------------------------------------------
    def put_a_file_in_the_way(self):
        """A file where the install directory should be: no entry can be created."""
        self.target().parent.mkdir(parents=True, exist_ok=True)
        self.target().write_bytes(b"in the way")

    def test_target_that_cannot_be_written(self):
        self.put_a_file_in_the_way()
        self.options("sSilent=1\n")
        process = self.start_install()
        text = self.assert_error_box("Error creating destination file, the target disk may be full. (-1)")
        self.assertIn("Filename=" + LONG_MAIN, text)
        self.assertEqual(process.wait(60), 2)
        self.assertEqual(self.prefix.reg_query(UNINSTALL_KEY), {})
        self.assertNotIn("HKEY_CLASSES_ROOT\\Lumivora\\DefaultIcon", self.classes())

    def test_missing_payload(self):
        image = bytearray(self.installer.read_bytes())
        _, _, type_entry = find_payload(image)
        struct.pack_into("<I", image, type_entry, 513)  # the payload's type no longer matches
        self.installer.write_bytes(image)
        process = self.start_install()
        self.assert_error_box("Installation data not found. (Executable is corrupted.)")
        self.assertEqual(process.wait(60), 2)
        self.assert_nothing_installed()


class Faults(Installation):
    """The real install.exe against a disk that fills up, a target that cannot be
    written and damaged payloads: it must say so, end with status 2, and never
    report success with a wrong file."""

    mounts = ()

    def tearDown(self):
        self.prefix.stop()
        for mount in self.mounts:
            subprocess.run(["umount", str(mount)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        super().tearDown()

    def mount_small_disk(self, size, read_only=False, entries=None):
        """A tmpfs of `size` (with room for `entries` files and directories besides
        its root) where the install directory goes."""
        target = self.target()
        target.mkdir(parents=True, exist_ok=True)
        options = f"size={size}" + (",ro" if read_only else "") + (f",nr_inodes={entries + 1}" if entries else "")
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", str(target)],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if done.returncode != 0:
            self.skipTest("cannot mount a small disk here: " + done.stderr.decode().strip())
        self.mounts = (target,)

    def run_with_boxes(self, timeout=120):
        """Runs the silent installation to its end, answering every error box:
        (exit status, texts of the boxes)."""
        process = self.start_install()
        texts = []
        end = time.monotonic() + timeout
        while process.poll() is None and time.monotonic() < end:
            status, out, _ = self.prefix.run(self.driver, "wait", ERROR, "200")
            if status == 0:
                # A box found while it is being made may not have its text yet (seen on
                # a loaded machine): it is looked at again.
                status, text, _ = self.prefix.run(self.driver, "text", ERROR, str(MESSAGE_TEXT))
                if status != 0:
                    continue
                texts.append(text.strip())
                # Gone before the next look, or the same box would be counted twice.
                self.drive("dismiss", ERROR, str(IDOK))
        return process.wait(10), texts

    def assert_no_shell_registration(self):
        keys = self.classes()
        self.assertNotIn("HKEY_CLASSES_ROOT\\Lumivora\\DefaultIcon", keys)
        self.assertEqual(self.prefix.reg_query(UNINSTALL_KEY), {})
        self.assert_extensions_untouched()

    def test_fault_drive_without_room_is_refused_before_anything_is_created(self):
        self.mount_small_disk("24k")
        # Into a folder not made yet on the drive mounted there, which answers for it.
        self.options(f"sDefPathNT={PRODUCT_DIR}\\New\r\n")
        process = self.start_install()
        for title, button in ((DESTINATION, IDOK), (LICENCE, IDOK), (ASSOCIATION, SKIP)):
            self.drive("wait", title, "60000")
            self.drive("press", title, str(button))
        self.assertEqual(self.assert_error_box("There is not enough free space"), no_room(24).replace("\r", ""))
        self.drive("wait", DESTINATION)
        self.assertEqual(list(self.target().iterdir()), [], "created before the dialog came again")
        self.drive("press", DESTINATION, str(IDCANCEL))
        self.assertEqual(process.wait(60), 1)
        self.assertEqual(self.classes(), {})
        self.assert_no_shell_registration()

    def test_fault_full_directory_during_the_copy_is_taken_back(self):
        # Room for five entries, as a full root directory of a FAT drive has: the
        # sixth cannot be created, and what the five took is taken back.
        self.mount_small_disk("1m", entries=5)
        self.options("sSilent=1\nsLog=C:\\media\\install.log\n")
        status, texts = self.run_with_boxes()
        self.assertEqual(len(texts), 1, texts)
        self.assertTrue(texts[0].startswith("Error creating destination file"), texts[0])
        self.assertEqual(status, 2)
        self.assertEqual(list(self.target().iterdir()), [])
        self.assertEqual(self.classes(), {})
        self.assert_no_shell_registration()
        log = (self.media / "install.log").read_text("latin-1")
        self.assertEqual((log.count("taken back, file deleted: "), log.count("taken back, directory removed: ")), (4, 1), log)

    def test_fault_read_only_target(self):
        self.mount_small_disk("128k", read_only=True)
        self.options("sSilent=1\n")
        status, texts = self.run_with_boxes()
        self.assertEqual(len(texts), 1, texts)
        self.assertTrue(texts[0].startswith("Error creating destination file, the target disk may be full. (-1)"))
        self.assertIn("Filename=" + LONG_MAIN, texts[0])
        self.assertEqual(status, 2)
        self.assert_no_shell_registration()

    def damage_payload(self, change, digest=True):
        image = bytearray(self.installer.read_bytes())
        offset, size, _ = find_payload(image)
        change(image, offset, size)
        if not digest:
            hide_digest(image)
        self.installer.write_bytes(image)

    def refused_with_and_without_digest(self, change):
        """The damage refused before anything is written, by the installer that checks
        its payload against the digest and by one that inflates it to check it."""
        pristine = self.installer.read_bytes()
        self.options("sSilent=1\n")
        for digest in (True, False):
            with self.subTest(digest=digest):
                self.installer.write_bytes(pristine)
                self.damage_payload(change, digest)
                status, texts = self.run_with_boxes()
                self.assertEqual(texts, ["Corrupted data. Installation aborted."])
                self.assertEqual(status, 2)
                self.assert_nothing_installed()
                self.assert_no_shell_registration()

    def test_fault_truncated_stream(self):
        # The length field promises half the stream: it ends early.
        self.refused_with_and_without_digest(
            lambda image, offset, size: struct.pack_into("<I", image, offset, (size - 4) // 2))

    def test_fault_length_field_beyond_the_resource(self):
        self.refused_with_and_without_digest(lambda image, offset, size: struct.pack_into("<I", image, offset, size))

    def run_unattended(self, *args, timeout=120):
        """Silent with "sNoBoxes" and "sLog", ending with no window ever waiting: (status, log lines)."""
        self.options("sSilent=1\nsNoBoxes=1\nsLog=C:\\media\\install.log\n")
        process = self.start_install(*args)
        end = time.monotonic() + timeout * wine_session.TIME_FACTOR
        while process.poll() is None and time.monotonic() < end:
            _, shown, _ = self.prefix.run(self.driver, "list")
            titles = {line.split("\t", 1)[-1] for line in shown.splitlines()}
            self.assertFalse(titles & {ERROR, DESTINATION, LICENCE, COMPLETION}, "a window waits")
        log = (self.media / "install.log").read_bytes().decode("latin-1")
        self.assertNotRegex(log, "[^\r]\n")
        return process.wait(10), [line.split(" ", 2)[2] for line in log.splitlines()]

    def test_unattended_failures_end_by_themselves_and_log_why(self):
        def flip(image, offset, size):
            image[offset + 4 + size // 2] ^= 0x55

        def box(text):
            return "error, no box: " + text.replace("\r\n\r\n", " | ")
        creating = ("Error creating destination file, the target disk may be full. (-1)\r\n\r\nFilename="
                    + LONG_MAIN + "\r\n\r\nInstallation aborted.")
        pristine = self.installer.read_bytes()
        table = [  # what goes wrong, before the run, arguments, status, text in the log
            ("damaged payload", lambda: self.damage_payload(flip), (), 2, box(CORRUPTED)),
            ("damaged payload, -verify", lambda: self.damage_payload(flip), ("-verify",), 2, box(CORRUPTED)),
            ("whole payload, -verify", lambda: None, ("-verify",), 0, "whole (its CRC-32 matches its digest)"),
            ("whole payload, no digest, -verify", lambda: self.damage_payload(lambda *_: None, False), ("-verify",), 0,
             "whole (inflated to its end)"),
            ("drive without room", lambda: self.mount_small_disk("24k"), (), 112, box(no_room(24))),
            ("switch without a value", lambda: None, ("-dir=",), 87, "switch -dir=: its value is empty"),
            ("read-only target", lambda: self.mount_small_disk("128k", read_only=True), (), 2, box(creating)),
            ("directory that cannot be created", self.put_a_file_in_the_way, (), 2, box(creating)),
        ]
        for what, prepare, args, expected, text in table:
            with self.subTest(what):
                self.installer.write_bytes(pristine)
                (self.media / "install.log").unlink(missing_ok=True)
                prepare()
                status, lines = self.run_unattended(*args)
                self.assertEqual(status, expected)
                self.assertTrue(any(line.endswith(text) for line in lines), (text, lines))
                self.assertTrue(lines[0].startswith('Lumivora, version "2.1.0", publisher "Lumivora Software"; '
                                                    'installer C:\\media\\install.exe, arguments'), lines[0])
                if "payload" in what or "switch" in what:
                    self.assert_nothing_installed()
                    self.assertIsNone(self.prefix.start_menu_group())
            for mount in self.mounts:
                subprocess.run(["umount", str(mount)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.reset_installation()

    def reset_installation(self):
        """Outside the sweep's runs: no files, no product keys, no group."""
        self.prefix.run("reg", "delete", "HKEY_CLASSES_ROOT\\Lumivora", "/f")
        self.prefix.run("reg", "delete", UNINSTALL_KEY, "/f")
        shutil.rmtree(self.target(), ignore_errors=True)
        group = self.prefix.start_menu_group()
        if group:
            shutil.rmtree(group, ignore_errors=True)

    def test_fault_sweep_of_flipped_payload_bytes(self):
        pristine = self.installer.read_bytes()
        offset, size, _ = find_payload(pristine)
        stream = size - 4
        runs = int(os.environ.get("LMVR_SWEEP_RUNS", "100"))
        # Spread over the whole stream, its two header bytes and its checksum included.
        offsets = sorted({offset + 4 + (i * (stream - 1)) // (runs - 1) for i in range(runs)})
        self.options("sSilent=1\nsAssoc=0\n")
        outcomes = {"corData": 0, "identical": 0}
        # Every second run without the digest: its installer finds the damage by
        # inflating, and may find none where the flip changes nothing it installs. With
        # the digest every flipped byte is found.
        for run, at in enumerate(offsets):
            image = bytearray(pristine)
            image[at] ^= 0x55
            if run % 2:
                hide_digest(image)
            self.installer.write_bytes(image)
            self.reset_installation()
            status, texts = self.run_with_boxes()
            where = f"byte {at - offset - 4} of the stream" + (", no digest" if run % 2 else "")
            self.assertTrue(run % 2 or status == 2, where)
            if status == 0:
                self.assertEqual(texts, [], where)
                self.assert_files_installed()
                outcomes["identical"] += 1
            else:
                self.assertEqual((status, texts), (2, ["Corrupted data. Installation aborted."]), where)
                outcomes["corData"] += 1
        print(f"\nflipped bytes: {len(offsets)} runs, {outcomes['corData']} ended with corData, "
              f"{outcomes['identical']} installed identical files")


def prepare():
    work = work_dir()
    cleanup()
    work.mkdir(parents=True, exist_ok=True)
    # LMVR_E2E_DISPLAY=:0 runs the cases on a screen of your choice, to watch them.
    screen = Screen(os.environ.get("LMVR_E2E_DISPLAY")).start()
    (work / "display").write_text(screen.display)
    if screen.process:
        (work / "xvfb.pid").write_text(str(screen.process.pid))
    WinePrefix(work / "base", screen.display).create()
    print("prepared", work / "base", "on", screen.display)


def cleanup():
    work = work_dir()
    pid_file = work / "xvfb.pid"
    if pid_file.exists():
        try:
            os.kill(int(pid_file.read_text()), signal.SIGTERM)
        except (ProcessLookupError, ValueError):
            pass
        pid_file.unlink()


def main(classes=None, options=(), description=__doc__):
    """Runs the named cases (or all) of `classes`; other end-to-end scripts pass theirs,
    with their own (flag, help) options, and share this prepared prefix and screen."""
    global ARGS
    parser = argparse.ArgumentParser(description=description, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--prepare", action="store_true")
    parser.add_argument("--cleanup", action="store_true")
    parser.add_argument("--limit", type=float, default=0,
                        help="seconds the whole run may take, times LMVR_TIME_FACTOR")
    parser.add_argument("--arch", choices=sorted(wine_session.LOADERS), default="win32",
                        help="the kind of Wine prefix: win64 for the 64-bit twin build")
    for flag, help_text in options:
        parser.add_argument(flag, help=help_text)
    parser.add_argument("cases", nargs="*")
    ARGS = parser.parse_args()
    wine_session.ARCH = ARGS.arch
    if ARGS.limit:
        limit = int(ARGS.limit * wine_session.TIME_FACTOR)

        def out_of_time(signum, frame):
            raise TimeoutError(f"still running after {limit} s")
        signal.signal(signal.SIGALRM, out_of_time)
        signal.alarm(limit)
    if ARGS.prepare:
        prepare()
        return 0
    if ARGS.cleanup:
        cleanup()
        return 0
    classes = classes or (Installation, Faults)
    if ARGS.cases:
        suite = unittest.TestSuite(next(c for c in classes if hasattr(c, name))(name) for name in ARGS.cases)
    else:
        suite = unittest.TestSuite(unittest.defaultTestLoader.loadTestsFromTestCase(c) for c in classes)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    # One line for whoever counts the cases of several runs (scripts/test).
    print(f"e2e: {result.testsRun - failed - len(result.skipped)} passed, {failed} failed"
          + (f", {len(result.skipped)} skipped" if result.skipped else ""))
    return 0 if result.wasSuccessful() and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
