#!/usr/bin/env python3
"""Times complete silent installations of the benchmark product under Wine, side by
side: install.exe, the same product in an NSIS installer, and the floor program's
variants (bench/floor.cpp), alternating within every round.

    speed.py --build-dir build/bench-win32 --work-dir build/bench-work [--rounds 15]
             [--disk]

One Xvfb screen and one wineserver serve the whole run, with the Wine desktop (and
so the Program Manager service) kept up, so Wine's start-up costs every program the
same. Before each timed run, outside the timing, the machine is put back: the
install directory and the Start Menu group removed, the product's registry keys
deleted and the ten extensions given back their classes, and the folder windows that
Wine's shell opens for a group closed. By default the prefix, and with it drive C:,
lies on a RAM disk (/dev/shm), so that the real disk's noise stays out; --disk puts
it under the work directory instead.

Prints the medians, the ratios of every round, a profile of where the time goes and
the load of the machine. Exit status 0 whatever the figures say; 1 when an installer
did not do its job.

With --check, one round of everything and no figure: every program runs once, as the
warm-up, and what it left is checked as far as its work goes (the files with their
bytes, the records, lmvr.opt, the class, the associations and the uninstall entry,
the Start Menu group); the probe runs once too. Prints one line per program and
"bench: N passed, N failed"; exit status 1 when one failed.
"""

import argparse
import itertools
import os
import shutil
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "tests" / "e2e"))
from wine_session import EXTENSIONS, UNINSTALL_KEY, Screen, WinePrefix  # noqa: E402

MEDIA = r"C:\media"
TARGET = r"C:\Program Files\Lumivora"
GROUP = "Lumivora"

# name, program in MEDIA, arguments; the floor's stages are described in floor.cpp.
FLOOR_STAGES = [
    ("floor 0", ["0"]),
    ("floor 1", ["1"]),
    ("floor 2", ["2"]),
    ("floor 3", ["3"]),
    ("floor 4", ["4"]),
    ("floor 5", ["5"]),
    ("floor 6", ["6"]),
    ("floor 2 installer", ["2", "installer"]),
    ("floor 3 installer", ["3", "installer"]),
    ("floor 6 installer", ["6", "installer"]),
    ("floor 6 installer dialogs", ["6", "installer", "dialogs"]),
]
WHOLE_JOB = ("install.exe", "install-halting.exe", "install.exe, no digest", "NSIS zlib", "NSIS lzma", "floor 6",
             "floor 6 installer", "floor 6 installer dialogs")


def stage_of(name):
    """How far a program's work goes, in the floor's stages: 6 for a whole job."""
    return 6 if name in WHOLE_JOB else int(name.split()[1])


def uptime():
    return subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip()


class Bench:
    def __init__(self, args):
        self.args = args
        self.build = Path(args.build_dir).resolve()
        self.work = Path(args.work_dir).resolve()
        self.product = self.work / "product"
        # install-halting.exe is install.exe with the places of halt armed and none
        # asked for: what they cost where they are compiled in.
        # install-no-digest.exe is install.exe as an older lmvrpack built it: it checks
        # its payload by inflating it before the copy inflates it again.
        self.peers = [("install.exe", "install.exe", []), ("install-halting.exe", "install-halting.exe", []),
                      ("install.exe, no digest", "install-no-digest.exe", []),
                      ("NSIS zlib", "nsis-zlib.exe", ["/S"]), ("NSIS lzma", "nsis-lzma.exe", ["/S"])]
        self.peers += [(name, "floor.exe", stage) for name, stage in FLOOR_STAGES]
        self.screen = None
        self.prefix = None
        self.holder = None
        self.ram_dir = None
        self.reset_args = []
        self.desktop_pids = set()

    # -- the prefix ----------------------------------------------------------------
    def start(self):
        self.screen = Screen().start()
        base = WinePrefix(self.work / "base-prefix", self.screen.display)
        if not (base.path / ".bench-ready").exists():
            print("creating a Wine prefix (once) ...", flush=True)
            # Unmanaged windows, as in the test prefixes: Xvfb has no window manager,
            # and Wine would wait about 2 s for one at every window close.
            base.create()
            (base.path / ".bench-ready").touch()
        if self.args.disk:
            location = self.work / "run-prefix"
        else:
            self.ram_dir = Path(f"/dev/shm/lmvr-bench-{os.getpid()}")
            location = self.ram_dir / "prefix"
            self.ram_dir.mkdir()
        self.prefix = base.copy_to(location)
        media = self.prefix.unix_path(MEDIA)
        media.mkdir(exist_ok=True)
        shutil.copy(self.build / "install.exe", media)
        (media / "lmvropt.ini").write_bytes(b"sSilent=1\r\n")
        for name in ("install-halting.exe", "install-no-digest.exe", "install-sample.exe", "nsis-zlib.exe",
                     "nsis-lzma.exe", "floor.exe"):
            if (self.work / name).exists():
                shutil.copy(self.work / name, media)
        self.prefix.start_server()
        driver = self.build / "tests" / "window_driver.exe"
        # The checks read every key they look at through window_driver, in one process.
        self.prefix.driver = driver
        self.holder = self.prefix.start(driver, "hold")
        status, _, _ = self.prefix.run(driver, "progman", 30000)
        if status != 0:
            raise RuntimeError("the shell's Program Manager service did not come up")
        self.desktop_pids = set(self.wine_pids())
        self.reset_args = self.extension_classes()

    def stop(self):
        if self.prefix:
            self.prefix.stop()
        if self.holder:
            self.holder.wait(10)
        if self.screen:
            self.screen.stop()
        if self.ram_dir:
            shutil.rmtree(self.ram_dir, ignore_errors=True)

    def extension_classes(self):
        """floor.exe reset arguments that give the ten extensions back their classes."""
        out = []
        for ext in EXTENSIONS:
            key = "HKEY_CLASSES_ROOT\\" + ext
            values = self.prefix.reg_query(key).get(key)
            if values is None:
                out.append(ext)
            else:
                out.append(ext + "=" + values.get("", ""))
        return out

    def wine_pids(self):
        """Linux ids of this prefix's Windows processes."""
        marker = ("WINEPREFIX=" + str(self.prefix.path)).encode()
        pids = []
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                environ = (entry / "environ").read_bytes().split(b"\0")
                cmdline = (entry / "cmdline").read_bytes()
            except OSError:
                continue
            if marker in environ and b".exe" in cmdline.lower():
                pids.append(int(entry.name))
        return pids

    def close_folder_windows(self):
        """Wine's shell opens a folder window for [ShowGroup] in an explorer of its own,
        which takes seconds to close politely: ended here, outside the timing. The
        processes that kept the desktop up are left alone."""
        for pid in self.wine_pids():
            if pid in self.desktop_pids:
                continue
            try:
                cmdline = Path(f"/proc/{pid}/cmdline").read_bytes().lower()
            except OSError:
                continue
            if b"explorer.exe" in cmdline:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass

    # -- one installation -------------------------------------------------------------
    def reset(self):
        self.close_folder_windows()
        status, _, err = self.prefix.run(MEDIA + "\\floor.exe", "reset", *self.reset_args)
        if status != 0:
            raise RuntimeError("reset failed: " + err.strip())
        shutil.rmtree(self.prefix.unix_path(TARGET), ignore_errors=True)
        group = self.prefix.start_menu_group(GROUP)
        if group:
            shutil.rmtree(group, ignore_errors=True)

    def timed(self, program, args):
        command = ["wine", MEDIA + "\\" + program, *args]
        start = time.perf_counter()
        status = subprocess.run(command, env=self.prefix.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        elapsed = time.perf_counter() - start
        if status != 0:
            raise RuntimeError(f"{program} {' '.join(args)} ended with status {status}")
        return elapsed

    def check_installation(self, name, stage=6):
        """What a program's work up to STAGE leaves: from stage 2 the files with their
        bytes, from 3 one record per file (and DEF.LMV, the program's own), from 4
        lmvr.opt and its record, the class, the ten associations and the uninstall
        entry, from 5 the Start Menu group. Below stage 2 no install directory."""
        problems = []
        target = self.prefix.unix_path(TARGET)
        files = [p.relative_to(self.product) for p in sorted(self.product.rglob("*")) if p.is_file()]
        if stage < 2 and target.exists():
            problems.append("an install directory, where none was to be written")
        for relative in files if stage >= 2 else []:
            installed = target / relative
            if not installed.is_file() or installed.read_bytes() != (self.product / relative).read_bytes():
                problems.append(f"{relative} missing or different")
        if stage >= 3:
            key = "HKEY_CLASSES_ROOT\\Lumivora\\installed"
            records = {k[len(key) + 1:].lower() for k in self.prefix.reg_query(key)
                       if k.lower().startswith(key.lower() + "\\")}
            wanted = {"$".join(relative.parts).lower() for relative in files} | {"def.lmv"}
            if stage >= 4:
                wanted.add("lmvr.opt")
            missing = sorted(wanted - records)
            if missing:
                problems.append(f"{len(missing)} of {len(wanted)} records missing ({', '.join(missing[:3])} ...)")
        if stage >= 4:
            if not (target / "lmvr.opt").is_file():
                problems.append("no lmvr.opt")
            if self.prefix.default_value("HKEY_CLASSES_ROOT\\Lumivora") != "Lumivora":
                problems.append("no file class")
            for ext in EXTENSIONS:
                if self.prefix.default_value("HKEY_CLASSES_ROOT\\" + ext) != "Lumivora":
                    problems.append(ext + " not associated")
            if "UninstallString" not in self.prefix.reg_query(UNINSTALL_KEY).get(UNINSTALL_KEY, {}):
                problems.append("no uninstall entry")
        if stage >= 5:
            group = self.prefix.start_menu_group(GROUP)
            if group is None or not (group / "Lumivora.lnk").is_file():
                problems.append("no Start Menu group with the program's item")
        if problems:
            raise RuntimeError(f"{name} did not do its job: " + "; ".join(problems[:5]))

    # -- the run -------------------------------------------------------------------------
    def run(self):
        print("load before:", uptime())
        names = [name for name, _, _ in self.peers]
        for name, program, args in self.peers:  # warm-up, and a check of the result
            self.reset()
            self.timed(program, args)
            self.check_installation(name, stage_of(name))
        times = {name: [] for name in names}
        for round_index in range(self.args.rounds):
            shift = round_index % len(self.peers)
            for name, program, args in self.peers[shift:] + self.peers[:shift]:
                self.reset()
                times[name].append(self.timed(program, args))
        self.reset()
        probes = [self.probe() for _ in range(3)]
        # Single -verify runs spread over some 40 ms under Wine, far more than the few
        # milliseconds they are run to tell apart: ten per round.
        verify = self.time_verify(10 * self.args.rounds)
        print("load after: ", uptime())
        return times, probes, verify

    # The check of the whole payload alone (-verify), which writes nothing: the
    # benchmark product's against the sample product's, and without the digest.
    VERIFIED = (("benchmark product", "install.exe"), ("benchmark product, no digest", "install-no-digest.exe"),
                ("sample product", "install-sample.exe"))

    def time_verify(self, rounds):
        times = {name: [] for name, _ in self.VERIFIED}
        # A run pays a little of the end of the run before it, so each program follows
        # each other one equally often: the rounds go through every order in turn.
        orders = list(itertools.permutations(self.VERIFIED))
        for round_index in range(rounds):
            for name, program in orders[round_index % len(orders)]:
                times[name].append(self.timed(program, ["-verify"]))
        return times

    def probe(self):
        """{operation: (count, milliseconds)} from one run of floor.exe probe."""
        status, out, err = self.prefix.run(MEDIA + "\\floor.exe", "probe")
        shutil.rmtree(self.prefix.unix_path(r"C:\floor-probe"), ignore_errors=True)
        if status != 0:
            raise RuntimeError("floor.exe probe failed: " + err.strip())
        result = {}
        for line in out.splitlines():
            parts = line.rsplit(None, 2)
            if len(parts) == 3:
                result[parts[0]] = (int(parts[1]), float(parts[2]))
        return result


    def check(self):
        """One round of everything, each program's work checked: the number of
        programs that passed and that failed."""
        passed = failed = 0
        for name, program, args in self.peers:
            try:
                self.reset()
                self.timed(program, args)
                self.check_installation(name, stage_of(name))
                print(f"check: {name} ok", flush=True)
                passed += 1
            except RuntimeError as error:
                print(f"check: {name} FAILED: {error}", flush=True)
                failed += 1
        try:
            self.reset()
            self.probe()
            print("check: floor.exe probe ok")
            passed += 1
        except RuntimeError as error:
            print(f"check: floor.exe probe FAILED: {error}")
            failed += 1
        return passed, failed


def run_stopped(bench, work, name):
    """Starts the bench, does its work and stops it whatever happens: the work's
    result, or None after a failure, which is printed."""
    try:
        bench.start()
        return work()
    except RuntimeError as error:
        print(f"{name}:", error, file=sys.stderr)
        return None
    finally:
        bench.stop()


def median(values):
    return statistics.median(values)


def report(times, probes, rounds):
    m = {name: median(values) for name, values in times.items()}
    print(f"\nMedians of {rounds} alternating rounds (seconds, wall clock of `wine PROGRAM`):")
    for name in ("install.exe", "install-halting.exe", "install.exe, no digest", "NSIS zlib", "NSIS lzma",
                 "floor 6 installer dialogs", "floor 6", "floor 5"):
        if name in m:
            print(f"  {name:28s} {m[name]:.3f}")

    def ratios(peer, to):
        return [a / b for a, b in zip(times[peer], times[to])]

    ratio_floor = ratios("install.exe", "floor 6 installer dialogs")
    ratio_lzma = ratios("install.exe", "NSIS lzma")
    ratio_zlib = ratios("install.exe", "NSIS zlib")
    print("\nPer-round ratios:")
    print("  install.exe / floor, installer's way " + " ".join(f"{r:.2f}" for r in ratio_floor))
    print("  install.exe / NSIS lzma              " + " ".join(f"{r:.2f}" for r in ratio_lzma))
    print("  install.exe / NSIS zlib              " + " ".join(f"{r:.2f}" for r in ratio_zlib))
    verdicts = [
        ("install.exe / floor doing the whole job the installer's way", median(ratio_floor), 1.0),
        ("install.exe / NSIS lzma", median(ratio_lzma), 0.97),
    ]
    for label, value, limit in verdicts:
        print(f"  median {label}: {value:.2f} (target at most {limit:.2f}): {'PASS' if value <= limit else 'FAIL'}")
    # NSIS writes each file with plain calls, has no copy dialog and makes its
    # shortcuts itself; install.exe's file calls, its dialogs with the 50 ms copy timer
    # and its Program Manager conversation are prescribed. The floor's variants price
    # that work, so the zlib ratio is shown with and without it, not judged.
    prescribed = (m["floor 6 installer dialogs"] - m["floor 6"]) + (m["floor 5"] - m["floor 4"])
    print(f"  median install.exe / NSIS zlib: {median(ratio_zlib):.2f} (no target); the prescribed work "
          f"(file calls, dialogs and copy timer, Program Manager group) costs "
          f"{prescribed * 1000:.0f} ms by the medians; without it "
          f"{(m['install.exe'] - prescribed) / m['NSIS zlib']:.2f}")

    def step(a, b):
        return m[a] - (m[b] if b else 0.0)

    print("\nProfile (differences of medians of the floor's variants):")
    lines = [
        ("Wine process start (an empty program)", step("floor 0", None)),
        ("inflate the archive, 4.07 MB", step("floor 1", "floor 0")),
        ("495 files: one WriteFile each", step("floor 2", "floor 1")),
        ("495 files: DeleteFileA, OpenFile, 2,048-byte _hwrite", step("floor 2 installer", "floor 1")),
        ("497 records through one open key", step("floor 3", "floor 2")),
        ("497 records, after the installer's file calls", step("floor 3 installer", "floor 2 installer")),
        ("lmvr.opt, class, 10 associations, uninstall entry", step("floor 4", "floor 3")),
        ("Program Manager group (DDE)", step("floor 5", "floor 4")),
        ("start the installed program", step("floor 6", "floor 5")),
        ("two dialogs and the 50 ms copy timer", step("floor 6 installer dialogs", "floor 6 installer")),
        ("install.exe beyond the floor done its way", step("install.exe", "floor 6 installer dialogs")),
    ]
    for label, value in lines:
        print(f"  {label:55s} {value * 1000:7.0f} ms")
    print(f"  {'whole job, floor done the installer way (with dialogs)':55s} {m['floor 6 installer dialogs'] * 1000:7.0f} ms")
    print(f"  {'whole job, lean floor':55s} {m['floor 6'] * 1000:7.0f} ms")

    print("\nSingle operations timed inside one process (floor.exe probe, median of 3 runs):")
    each = {}
    for name in probes[0]:
        count = probes[0][name][0]
        ms = median([p[name][1] for p in probes if name in p])
        each[name] = ms / max(count, 1)
        print(f"  {name:58s} {count:5d}x {ms:7.1f} ms  ({1000.0 * each[name]:6.1f} us each)")

    print("\nWhat the installation's safeguards cost:")
    renamed = each["lmvr.opt written as lmvr.new, then renamed"] - each["lmvr.opt written in place"]
    print(f"  lmvr.opt under a passing name, then renamed: {1000.0 * renamed:+.0f} us per installation "
          "(probe: one file each way)")
    halting = ratios("install-halting.exe", "install.exe")
    digest = ratios("install.exe", "install.exe, no digest")
    print(f"  the payload checked against its digest instead of inflated: install.exe / install.exe without "
          f"its digest, median {median(digest):.3f} per round, "
          f"{1000 * (m['install.exe'] - m['install.exe, no digest']):+.0f} ms by the medians")
    print(f"  install-halting.exe / install.exe, the halt places armed and none asked for: median "
          f"{median(halting):.3f} per round, {1000 * (m['install-halting.exe'] - m['install.exe']):+.0f} ms "
          "by the medians (in install.exe each place is the test of a null pointer)")


def report_verify(times):
    m = {name: median(values) for name, values in times.items()}
    rounds = len(next(iter(times.values())))
    print(f"\nThe payload check alone, `-verify` (medians of {rounds} runs, every order in turn):")
    for name, _ in Bench.VERIFIED:
        print(f"  {name:30s} {m[name]:.4f} s")
    sample = m["sample product"]
    print(f"  the benchmark product's check over the sample product's: "
          f"{1000 * (m['benchmark product'] - sample):+.1f} ms with the digest, "
          f"{1000 * (m['benchmark product, no digest'] - sample):+.1f} ms by inflating")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--disk", action="store_true", help="the prefix on the real disk instead of a RAM disk")
    parser.add_argument("--check", action="store_true", help="one round of everything, checked; no figure")
    args = parser.parse_args()
    bench = Bench(args)
    if args.check:
        result = run_stopped(bench, bench.check, "check")
        passed, failed = result if result is not None else (0, 1)
        print(f"bench: {passed} passed, {failed} failed")
        return 1 if failed else 0
    result = run_stopped(bench, bench.run, "speed")
    if result is None:
        return 1
    times, probes, verify = result
    report(times, probes, args.rounds)
    report_verify(verify)
    return 0


if __name__ == "__main__":
    sys.exit(main())
