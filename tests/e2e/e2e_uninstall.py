#!/usr/bin/env python3
"""End-to-end tests of the uninstall: the real install.exe, then the installed
program started as its own uninstaller (" . -u -silent"), under Wine and Xvfb.

The proof is a round trip: a snapshot of drive C:'s file tree and of the registry
(HKEY_CLASSES_ROOT, the uninstall entries, the Start Menu folder) before the
installation and after the uninstall must be equal but for the one copy of the program
in the temporary folder that removed it, which a restart takes away (see below for
what Wine changes on its own and how the snapshot keeps it out). The same comparison
shows that installations cut short (install-halting.exe) or repeated end, after a
second run, as one installation does (class Convergence).

Shares e2e_install.py's prepared prefix and screen (ctest's e2e fixture):

    e2e_uninstall.py --build-dir build/win32 --work-dir build/win32/e2e test_round_trip_leaves_the_machine_as_it_was
"""

import hashlib
import os
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import e2e_install  # noqa: E402
from e2e_install import work_dir  # noqa: E402
from wine_session import EXTENSIONS, PRODUCT_DIR, UNINSTALL_KEY, WATCHED_KEYS, WinePrefix, wait_for  # noqa: E402

PROGRAM = PRODUCT_DIR + "\\LUMIVORA.EXE"
IDOK, IDYES, IDNO, MESSAGE_TEXT = 1, 6, 7, 0xFFFF
UNINSTALL_ROOT = UNINSTALL_KEY.rsplit("\\", 1)[0]

# What Wine changes by itself between the two snapshots, kept out of the comparison
# by the snapshot's own construction rather than by a list of exceptions:
# - the export file of each snapshot is written outside drive C: (to the case's
#   folder, through Z:), so the snapshot does not see itself;
# - the key times Wine keeps in its registry files are not part of an export;
# - the user folders Wine links to the host's home (Desktop, Documents and so on) are
#   compared as links, not followed.
# Nothing else differed in the runs so far: a difference anywhere else is the
# uninstall's.


class Uninstall(unittest.TestCase):
    """One case: a fresh copy of the prepared prefix with the desktop up, install.exe
    and its lmvropt.ini in C:\\media."""

    def setUp(self):
        self.case_dir = work_dir() / "cases" / ("uninstall-" + self._testMethodName)
        shutil.rmtree(self.case_dir, ignore_errors=True)
        self.case_dir.mkdir(parents=True)
        display = (work_dir() / "display").read_text().strip()
        self.driver = e2e_install.driver_path()
        self.prefix = WinePrefix(work_dir() / "base", display, driver=self.driver).copy_to(self.case_dir / "prefix")
        media = self.prefix.unix_path("C:\\media")
        media.mkdir()
        shutil.copy(Path(e2e_install.ARGS.build_dir) / "install.exe", media / "install.exe")
        (media / "lmvropt.ini").write_text("sSilent=1\r\n")
        self.holders = []
        self.start_desktop()

    def tearDown(self):
        self.stop_prefix()
        if not os.environ.get("LMVR_E2E_KEEP"):
            shutil.rmtree(self.case_dir, ignore_errors=True)

    # -- the prefix ----------------------------------------------------------------
    def start_desktop(self):
        self.prefix.start_server()
        self.holders.append(self.prefix.desktop_up())

    def stop_prefix(self):
        self.prefix.stop()
        for holder in self.holders:
            holder.wait(10)
        self.holders = []

    def restart(self):
        """Windows restarted: the deletions it was asked to make at the restart are made."""
        self.stop_prefix()
        self.assertEqual(self.prefix.restart(), 0)
        self.start_desktop()

    # -- installing and uninstalling -------------------------------------------------
    def install(self):
        self.assertEqual(self.install_silently(), 0)

    def install_silently(self, installer="install.exe", halt_at=None):
        """Runs C:\\media\\`installer` (with LMVR_HALT_AT=`halt_at`): its exit status."""
        status = self.prefix.run("C:\\media\\" + installer, env={"LMVR_HALT_AT": halt_at} if halt_at else None)[0]
        # The installed program was started at the end; its window is closed as a user
        # would (and so are the group's folder windows Wine's Program Manager opened),
        # until the program has ended: its window may show late on a loaded machine,
        # and a program still running holds its file for the next run to set aside.
        if status == 0:
            wait_for(self.target("lmvr-started.log").exists, 20)
        for _ in range(10):
            while self.prefix.run(self.driver, "wait", "Lumivora", "1000")[0] == 0:
                self.prefix.run(self.driver, "close", "Lumivora")
                self.prefix.run(self.driver, "gone", "Lumivora", "2000")
            if self.prefix.run(self.driver, "ended", "LUMIVORA.EXE", "2000")[0] == 0:
                break
        return status

    def uninstall(self, program=PROGRAM):
        return self.prefix.run(program, ".", "-u", "-silent")[0]

    def uninstall_answering(self, button):
        """The uninstall as a user starts it, its question answered with `button` and
        any later box with OK: (exit status, texts of the boxes)."""
        process = self.prefix.start(PROGRAM, ".", "-u")
        texts = []
        while process.poll() is None:
            if self.prefix.run(self.driver, "wait", "Lumivora Uninstall", "300")[0] == 0:
                texts.append(self.prefix.run(self.driver, "text", "Lumivora Uninstall", str(MESSAGE_TEXT))[1].strip())
                self.prefix.run(self.driver, "press", "Lumivora Uninstall", str(button if len(texts) == 1 else IDOK))
                self.prefix.run(self.driver, "gone", "Lumivora Uninstall", "5000")
        return process.wait(10), texts

    def program_gone(self):
        """True once the copy in the temporary folder has removed the program and its
        directory, which it does after the uninstall has ended; waits up to 20 s."""
        return wait_for(lambda: not self.target().exists(), 20)

    def files(self):
        """Every file on drive C: (links not followed)."""
        return {p for p in (self.prefix.path / "drive_c").rglob("*") if p.is_file() and not p.is_symlink()}

    def target(self, relative=""):
        return self.prefix.unix_path(PRODUCT_DIR + ("\\" + relative if relative else ""))

    def set_class(self, extension, value):
        self.prefix.run("reg", "add", "HKEY_CLASSES_ROOT\\" + extension, "/ve", "/d", value, "/f")

    def remove_class(self, extension):
        self.prefix.run("reg", "delete", "HKEY_CLASSES_ROOT\\" + extension, "/ve", "/f")

    def default_value(self, key):
        return self.prefix.default_value("HKEY_CLASSES_ROOT\\" + key)

    # -- snapshots -------------------------------------------------------------------
    def export(self, key):
        """{key: {value name: data}} of `key` and all below it, through reg export."""
        out = self.case_dir / "export.reg"
        out.unlink(missing_ok=True)
        status, _, _ = self.prefix.run("reg", "export", key, "Z:" + str(out).replace("/", "\\"), "/y")
        if status != 0:
            return {}
        keys = {}
        current = None
        text = out.read_bytes().decode("utf-16")
        # Continued lines (long hex values) are joined first.
        text = text.replace("\\\r\n  ", "").replace("\r\n", "\n")
        for line in text.split("\n"):
            if line.startswith("[") and line.endswith("]"):
                current = keys.setdefault(line[1:-1], {})
            elif current is not None and "=" in line:
                name, _, data = line.partition("=")
                current[name] = data
        return keys

    def snapshot(self):
        """(files, keys): every path below drive_c with a digest of each file, and
        every key of the three registry places with its values."""
        root = self.prefix.path / "drive_c"
        files = {}
        for path in sorted(root.rglob("*")):
            rel = str(path.relative_to(root))
            if path.is_symlink():
                files[rel] = "link " + os.readlink(path)
            elif path.is_dir():
                files[rel] = "dir"
            else:
                files[rel] = hashlib.sha256(path.read_bytes()).hexdigest()
        keys = {}
        keys.update(self.export("HKEY_CLASSES_ROOT"))
        keys.update(self.export(UNINSTALL_ROOT))
        return files, keys

    def difference(self, before, after):
        """What differs between two snapshots, as sorted lines."""
        lines = []
        for kind, old, new in (("file", before[0], after[0]), ("key", before[1], after[1])):
            for name in sorted(set(old) | set(new)):
                if old.get(name) == new.get(name):
                    continue
                lines.append(f"{kind} {name}: {old.get(name, '(none)')!s:.60} -> {new.get(name, '(none)')!s:.60}")
        return lines

    def figures(self, snapshot):
        files, keys = snapshot
        return f"{len(files)} paths on C:, {len(keys)} keys"

    # -- the cases -------------------------------------------------------------------
    def test_round_trip_leaves_the_machine_as_it_was(self):
        self.set_class(".gif", "giffile")
        self.remove_class(".png")
        before = self.snapshot()
        self.install()
        installed = self.snapshot()
        self.assertEqual(self.default_value(".gif"), "Lumivora")
        self.assertEqual(self.uninstall(), 0)
        # No restart: the program and its directory go as soon as the uninstall has ended.
        if not self.program_gone():
            self.fail(f"the program's directory still holds {sorted(p.name for p in self.target().iterdir())}")
        after = self.snapshot()
        print(f"\nround trip: before {self.figures(before)}; installed {self.figures(installed)}; "
              f"after the uninstall {self.figures(after)}")
        # All that is new is the copy that removed the program, in a temporary folder.
        added = sorted(set(after[0]) - set(before[0]))
        self.assertEqual(len(added), 1, added)
        copy = added[0]
        self.assertEqual(Path(copy).parent.name.lower(), "temp", copy)
        self.assertEqual(after[0][copy], installed[0][PROGRAM[3:].replace("\\", "/")], copy)
        del after[0][copy]
        self.assertEqual(self.difference(before, after), [])
        # The restart takes the copy away.
        self.restart()
        self.assertFalse((self.prefix.path / "drive_c" / copy).exists(), copy)
        # A new installation finds the machine clean and saves the restored classes.
        self.install()
        self.assertEqual(self.default_value("Lumivora\\license\\install\\.gif"), "giffile")
        self.assertEqual(self.default_value("Lumivora\\license\\install\\.png"), "")

    def test_windows_95_removes_the_program_at_once_and_its_copy_at_restart_through_wininit(self):
        self.prefix.run("reg", "add", "HKEY_CURRENT_USER\\Software\\Wine", "/v", "Version", "/d", "win95", "/f")
        wininit = self.prefix.unix_path("C:\\windows\\wininit.ini")
        wininit.write_bytes(b"[rename]\r\nNUL=C:\\OTHER.TMP\r\n")
        self.prefix.unix_path("C:\\OTHER.TMP").write_bytes(b"another program's")
        self.install()
        digest = hashlib.sha256(self.target("LUMIVORA.EXE").read_bytes()).hexdigest()
        files = self.files()
        self.assertEqual(self.uninstall(), 0)
        # The program and its directory go at once, through a copy in the temporary
        # folder, which wininit.ini deletes at the restart, before the other program's file.
        self.assertTrue(self.program_gone())
        added = sorted(self.files() - files)
        self.assertEqual(len(added), 1, added)
        copy = added[0]
        self.assertEqual(copy.parent.name.lower(), "temp", copy)
        self.assertEqual(hashlib.sha256(copy.read_bytes()).hexdigest(), digest, copy)
        windows_path = "C:\\" + str(copy.relative_to(self.prefix.path / "drive_c")).replace("/", "\\")
        short = self.prefix.run(self.driver, "shortpath", windows_path)[1].strip()
        self.assertEqual(wininit.read_bytes(), f"[rename]\r\nNUL={short}\r\nNUL=C:\\OTHER.TMP\r\n".encode())
        self.restart()
        self.assertFalse(copy.exists(), copy)
        self.assertFalse(self.prefix.unix_path("C:\\OTHER.TMP").exists())

    def test_what_is_not_the_installations_stays(self):
        self.install()
        # A copy of the program elsewhere would take the records' names below its own
        # directory: it refuses and removes nothing.
        shutil.copy(self.target("LUMIVORA.EXE"), self.prefix.unix_path("C:\\media\\LUMIVORA.EXE"))
        self.assertEqual(self.uninstall("C:\\media\\LUMIVORA.EXE"), 2)
        self.assertTrue(self.target("readme.txt").exists())
        self.assertTrue(self.prefix.unix_path("C:\\media\\install.exe").exists())
        # The finishing copy's start, made by hand for a file that is not a copy of the
        # program (with a handle number that names nothing): it removes nothing.
        win_ini = self.prefix.unix_path("C:\\windows\\win.ini")
        win_ini_bytes = win_ini.read_bytes()
        self.assertEqual(self.prefix.run("C:\\media\\LUMIVORA.EXE", ".", "-u", "-finish", "2147483644",
                                         "C:\\windows\\win.ini")[0], 2)
        self.assertEqual(win_ini.read_bytes(), win_ini_bytes)
        self.assertTrue(self.prefix.unix_path("C:\\media\\LUMIVORA.EXE").exists())
        # Pictures the user saved into the program's directory, an extension another
        # program took over, and a record edited to lead outside.
        self.target("mine.gif").write_bytes(b"GIF89a")
        self.target("ENGLISH\\IMAGES\\MINE.PNG").write_bytes(b"png")
        self.set_class(".jpg", "OtherViewer.Jpg")
        self.prefix.run("reg", "add", "HKEY_CLASSES_ROOT\\Lumivora\\installed\\..$..$Windows$win.ini", "/ve", "/f")
        self.assertEqual(self.uninstall(), 0)
        # The program goes as soon as the uninstall has ended; its directory stays.
        self.assertTrue(wait_for(lambda: not self.target("LUMIVORA.EXE").exists(), 20))
        self.assertTrue(win_ini.exists())
        self.assertEqual(self.default_value(".jpg"), "OtherViewer.Jpg")
        left = sorted(str(p.relative_to(self.target())) for p in self.target().rglob("*"))
        self.assertEqual(left, ["ENGLISH", "ENGLISH/IMAGES", "ENGLISH/IMAGES/MINE.PNG", "mine.gif"])
        self.assertEqual(self.prefix.reg_query("HKEY_CLASSES_ROOT\\Lumivora"), {})

    def test_a_file_held_open_is_left_and_a_second_run_finishes(self):
        self.install()
        # Asked first; No removes nothing.
        self.assertEqual(self.uninstall_answering(IDNO), (1, ["Remove Lumivora and all of its components?"]))
        self.assertTrue(self.target("readme.txt").exists())
        # Another program holds a file open: Windows refuses to delete it.
        holder = subprocess.Popen([self.prefix.wine, str(self.driver), "holdfile", PRODUCT_DIR + "\\ENGLISH\\INDEX.HTM"],
                                  env=self.prefix.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.holders.append(holder)
        self.assertEqual(holder.stdout.readline().strip(), b"holding")
        status, texts = self.uninstall_answering(IDYES)
        self.assertEqual(status, 2)
        self.assertEqual(len(texts), 2, texts)
        self.assertIn("\n" + PRODUCT_DIR + "\\ENGLISH\\INDEX.HTM\n", texts[1])
        left = sorted(str(p.relative_to(self.target())) for p in self.target().rglob("*"))
        self.assertEqual(left, ["ENGLISH", "ENGLISH/INDEX.HTM", "LUMIVORA.EXE"])
        under = "HKEY_CLASSES_ROOT\\Lumivora\\installed\\"
        records = {k[len(under):] for k in self.prefix.reg_query(under[:-1]) if k.startswith(under)}
        self.assertEqual(records, {"ENGLISH$INDEX.HTM", "LUMIVORA.EXE"})
        self.assertNotEqual(self.prefix.reg_query(UNINSTALL_KEY), {})
        # The extensions were given back in the first run.
        self.assertNotEqual(self.default_value(".gif"), "Lumivora")
        holder.kill()
        holder.wait(10)
        self.assertEqual(self.uninstall(), 0)
        self.assertTrue(self.program_gone())
        self.assertEqual(self.prefix.reg_query("HKEY_CLASSES_ROOT\\Lumivora"), {})
        self.assertEqual(self.prefix.reg_query(UNINSTALL_KEY), {})
        self.assertIsNone(self.prefix.start_menu_group())


# Where install-halting.exe ends itself (LMVR_HALT_AT), as the task list's "End task"
# or a power cut would end the installer: after the first, a middle and the last file
# of the copy; between the copy and the shell; inside the Program Manager
# conversation; after half of the extensions; before the options file; and with the
# options file written under its passing name; and over an earlier installation, with
# a middle file set aside, with the first file set aside deleted, and within the first
# file's data, followed by a rerun that fails. `{last}` and `{middle}` come from the
# product's file count.
HALT_PLACES = ["copy:1", "copy:{middle}", "copy:{last}", "shell", "progman", "extensions:5", "options",
               "options-written", "over:aside:{middle}", "over:commit", "over:data:1"]
HALTED = 99  # install-halting.exe's exit status when it ended at the place asked for


class Convergence(Uninstall):
    """Installations cut short, repeated or moved: each ends in the machine of one
    installation, and the uninstall after it in the machine as it was before."""

    def setUp(self):
        super().setUp()
        shutil.copy(Path(e2e_install.ARGS.build_dir) / "install-halting.exe",
                    self.prefix.unix_path("C:\\media\\install-halting.exe"))
        # A predecessor to save and give back, and an extension that had no class.
        self.set_class(".gif", "giffile")
        self.remove_class(".png")

    def machine(self):
        """(files, keys) of what an installation touches: drive C:'s files with their
        digests, and the product's, the extensions' and the uninstall entry's keys.
        What differs between two equal installations is left out: the shortcut files,
        which carry the times of their targets, and the program's log of its starts
        (both kept by name), and the uninstall's own copy in a temporary folder, which
        waits for the restart."""
        root = self.prefix.path / "drive_c"
        files = {}
        for path in sorted(root.rglob("*")):
            rel = str(path.relative_to(root))
            if path.is_symlink():
                files[rel] = "link"
            elif path.is_dir():
                files[rel] = "dir"
            elif path.suffix.lower() == ".lnk" or path.name == "lmvr-started.log":
                files[rel] = "kept by name"
            elif path.parent.name.lower() == "temp" and path.name.lower().startswith("lmv"):
                continue
            else:
                files[rel] = hashlib.sha256(path.read_bytes()).hexdigest()
        keys = {}
        for key in WATCHED_KEYS:
            keys.update(self.prefix.reg_query(key))
        return files, keys

    def uninstall_and_wait(self):
        self.assertEqual(self.uninstall(), 0)
        self.assertTrue(self.program_gone(), "the program's directory stays")

    def assert_same(self, expected, got, what):
        self.assertEqual(self.difference(expected, got), [], what)

    def what_is_left(self):
        """One line on what an installation cut short left, for the sweep's report."""
        files = [p for p in self.target().rglob("*") if p.is_file()] if self.target().exists() else []
        products = self.prefix.reg_query("HKEY_CLASSES_ROOT\\Lumivora")
        records = [k for k in products if "\\installed\\" in k]
        ours = [e for e in EXTENSIONS if self.default_value(e) == "Lumivora"]
        group = self.prefix.start_menu_group()
        names = {p.name for p in files}
        registered = any(k.endswith("command") for k in products)
        return (f"{len(files)} files, {len(records)} records, class {'yes' if registered else 'no'}, "
                f"{len(ours)} extensions, uninstall entry {'yes' if self.prefix.reg_query(UNINSTALL_KEY) else 'no'}, "
                f"group {sorted(p.name for p in group.iterdir()) if group else 'none'}, "
                f"lmvr.opt {'yes' if 'lmvr.opt' in names else 'no'}, lmvr.new {'yes' if 'lmvr.new' in names else 'no'}")

    def test_installations_cut_short_converge(self):
        before = self.machine()
        self.assertEqual(self.install_silently(), 0)
        once = self.machine()
        options = self.target("lmvr.opt").read_bytes()
        self.uninstall_and_wait()
        self.assert_same(before, self.machine(), "the uninstall of one installation")
        files = len(e2e_install.product_files())
        places = [p.format(middle=(files + 1) // 2, last=files) for p in HALT_PLACES]
        converged = []
        for place in places:
            with self.subTest(place=place):
                if place.startswith("over:"):
                    self.install()
                self.assertEqual(self.install_silently("install-halting.exe", place.replace("over:", "")), HALTED,
                                 "never got there")
                print(f"\nhalted at {place}: {self.what_is_left()}", end="")
                # The options file is missing or whole, never empty or cut.
                opt = self.target("lmvr.opt")
                self.assertIn(opt.read_bytes() if opt.exists() else None, (None, options))
                if place == "over:data:1":
                    # Failing at a later file (a folder in its place), it leaves every earlier file whole.
                    self.target("ENGLISH\\INDEX.HTM").unlink()
                    self.target("ENGLISH\\INDEX.HTM").mkdir()
                    (self.prefix.unix_path("C:\\media") / "lmvropt.ini").write_text("sSilent=1\r\nsNoBoxes=1\r\n")
                    self.assertNotIn(self.install_silently(), (0, HALTED))
                    (self.prefix.unix_path("C:\\media") / "lmvropt.ini").write_text("sSilent=1\r\n")
                    self.target("ENGLISH\\INDEX.HTM").rmdir()
                    for relative, data in e2e_install.product_files().items():
                        if relative != "ENGLISH\\INDEX.HTM":
                            self.assertEqual(self.target(relative).read_bytes(), data, relative)
                self.assertEqual(self.install_silently(), 0)
                self.assert_same(once, self.machine(), "the second run")
                self.uninstall_and_wait()
                self.assert_same(before, self.machine(), "the uninstall after it")
                converged.append(place)
        print(f"\nsweep: {len(places)} places of halt tried, "
              + ("every second run converged" if len(converged) == len(places)
                 else f"{len(places) - len(converged)} did not converge"))

    def test_an_upgrade_while_the_program_runs_completes_and_the_restart_takes_what_it_held(self):
        self.install()
        once = self.machine()
        running = self.prefix.start(PROGRAM)
        self.assertEqual(self.prefix.run(self.driver, "wait", "Lumivora", "20000")[0], 0)
        # Twice: the second run finds the first one's file set aside and still held.
        self.assertEqual(self.prefix.run("C:\\media\\install.exe")[0], 0)
        self.assertEqual(self.install_silently(), 0)
        running.wait(20)
        held = self.target("~LMV0000.TMP")
        self.assertTrue(held.exists(), "the running program's file, set aside until the restart")
        self.restart()
        self.assertFalse(held.exists())
        self.assert_same(once, self.machine(), "the upgrade after the restart")

    def test_repeated_installations_end_as_one_and_the_uninstall_gives_back_the_first_predecessors(self):
        before = self.machine()
        self.assertEqual(self.install_silently(), 0)
        once = self.machine()
        self.assertEqual(self.install_silently(), 0)
        self.assert_same(once, self.machine(), "a second run into the same folder")
        # Into another folder, chosen in the destination dialog: the product is
        # registered there, and the first folder's files are left as the user's.
        elsewhere = "C:\\Lumivora Elsewhere"
        (self.prefix.unix_path("C:\\media") / "lmvropt.ini").write_text(f"sDefPathNT={elsewhere}\r\n")
        process = self.prefix.start("C:\\media\\install.exe")
        for title, button in ((e2e_install.DESTINATION, IDOK), (e2e_install.LICENCE, IDOK),
                              (e2e_install.ASSOCIATION, IDOK), (e2e_install.COMPLETION, e2e_install.IDCANCEL)):
            self.assertEqual(self.prefix.run(self.driver, "wait", title, "60000")[0], 0, title)
            self.prefix.run(self.driver, "press", title, str(button))
        self.assertEqual(process.wait(60), 0)
        (self.prefix.unix_path("C:\\media") / "lmvropt.ini").write_text("sSilent=1\r\n")
        moved = self.machine()
        self.assertEqual(moved[1], {key: {name: data.replace(PRODUCT_DIR, elsewhere) for name, data in values.items()}
                                    for key, values in once[1].items()})
        for relative, data in e2e_install.product_files().items():
            self.assertEqual(self.prefix.unix_path(elsewhere + "\\" + relative).read_bytes(), data, relative)
        self.assertEqual(self.uninstall(elsewhere + "\\LUMIVORA.EXE"), 0)
        self.assertTrue(wait_for(lambda: not self.prefix.unix_path(elsewhere).exists(), 20), "the folder stays")
        # The first folder is what is left; the extensions have their first classes back.
        first = str(self.target().relative_to(self.prefix.path / "drive_c"))
        after = self.machine()
        self.assertEqual([line for line in self.difference(before, after) if not line.startswith("file " + first)], [])
        self.assertEqual(self.default_value(".gif"), "giffile")


if __name__ == "__main__":
    sys.exit(e2e_install.main((Uninstall, Convergence)))
