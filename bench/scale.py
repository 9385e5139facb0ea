#!/usr/bin/env python3
"""The scale run: the same kind of product at three sizes, each installed silently by
install.exe and by NSIS with zlib, on a RAM disk, under Wine.

    scale.py --build-dir build/bench-win32 --work-dir build/bench-work [--rounds 3]

bench/run --scale calls it after its own build (it takes the main program, lmvr.opt,
lmvrpack, the stub and the floor's reset from there). For each size it writes the
product (bench/make_product.py --files --megabytes), kept while its generator stays
the same, and builds the installers for it below build/bench-scale/SIZE, as a vendor
would and timed: install.exe with `lmvrpack build` around install-stub.exe, and NSIS
with zlib and with LZMA (makensis). Then one
prefix on /dev/shm serves every installation: a warm-up of each installer, checked
file by file and record by record, and then ROUNDS rounds in which every installer
runs once, in an order that turns by one each round, so that the machine's other
work falls on all sizes alike.

Each run is the wall clock of `wine PROGRAM` to its end, and the peak resident memory
of the Windows process: wine runs the program in the process it starts, so that
process's VmHWM in /proc, read every 10 ms until it ends, is the installer's own
peak, Wine's mappings included, and the largest RssAnon read is its peak of private
memory, the part that no file backs. The run prints seconds, seconds per MB (10^6 bytes
of file data) and milliseconds per file at each size, and judges install.exe: its
per-MB time at the largest size within 1.2 times that at the middle one, and its
peak memory at the largest size within 2 MB of that at the smallest. Before that it
prints the vendor's side: each tool's time and the size of what it wrote. Exit status 0
whatever the figures say; 1 when an installer did not do its job.
"""

import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(Path(__file__).resolve().parent))
from speed import MEDIA, Bench, run_stopped, uptime  # noqa: E402

# (label, files, megabytes): the archive counts its entries in 16 bits (65,535 at
# most) and sizes in signed 32 bits, so the largest fits with room to spare.
SIZES = [("4 MB", 500, 4), ("40 MB", 5_000, 40), ("400 MB", 20_000, 400)]
PEERS = [("install.exe", "install.exe", []), ("NSIS zlib", "nsis-zlib.exe", ["/S"])]
TIME_LIMIT = 1.2  # per-MB time, largest size over middle size
MEMORY_LIMIT = 2.0  # MB of peak memory, largest size over smallest


def digest(*parts):
    h = hashlib.sha256()
    for part in parts:
        h.update(part if isinstance(part, bytes) else str(part).encode())
        h.update(b"\0")
    return h.hexdigest()


def timed_tool(command, cwd, output):
    """(wall seconds, CPU seconds of the tool and its children, bytes written) of one run."""
    before = os.times()
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = os.times()
    cpu = (after.children_user - before.children_user) + (after.children_system - before.children_system)
    return wall, cpu, Path(output).stat().st_size


def tree_size(root):
    files = [p for p in Path(root).rglob("*") if p.is_file()]
    return len(files), sum(p.stat().st_size for p in files)


def peaks_of(process, name):
    """(VmHWM, largest RssAnon) in kB of `process` until it ends, read every 10 ms."""
    peak = private = 0
    status_file = f"/proc/{process.pid}/status"
    cmdline_file = f"/proc/{process.pid}/cmdline"
    while process.poll() is None:
        try:
            # Only once the process has become the Windows program, whose command
            # line wine sets to its Windows path: before that it is the launcher
            # script and wine's loader, whose peaks are not the program's.
            if Path(cmdline_file).read_bytes().startswith(name.encode()):
                for line in Path(status_file).read_text().splitlines():
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
                    elif line.startswith("RssAnon:"):
                        private = max(private, int(line.split()[1]))
        except (OSError, ValueError):
            pass
        time.sleep(0.01)
    return peak, private


class Size:
    def __init__(self, label, files, megabytes, scale_dir):
        self.label = label
        self.files = files
        self.megabytes = megabytes
        self.dir = scale_dir / label.replace(" ", "")
        self.product = self.dir / "product"
        self.media = MEDIA + "\\" + label.replace(" ", "")
        self.file_count = 0
        self.bytes = 0

    def prepare(self, work):
        """The product (written again only when its generator or main program
        changed), install.exe and the NSIS installer."""
        self.dir.mkdir(parents=True, exist_ok=True)
        main = work / "LUMIVORA.EXE"
        key = digest((REPO / "bench/make_product.py").read_bytes(), main.read_bytes(), self.files, self.megabytes)
        stamp = self.dir / "product.stamp"
        if not stamp.exists() or stamp.read_text() != key:
            stamp.unlink(missing_ok=True)
            subprocess.run([sys.executable, str(REPO / "bench/make_product.py"), str(self.product), "--main", str(main),
                            "--files", str(self.files), "--megabytes", str(self.megabytes)], check=True)
            stamp.write_text(key)
        self.file_count, self.bytes = tree_size(self.product)

        # The vendor's side: lmvrpack build around the stub, and makensis with zlib
        # and with LZMA for the same product, each timed (wall clock, and the CPU time
        # of the tool and its children) with the size of what it writes.
        self.built = {}
        stub = REPO / "build/bench-win32/install-stub.exe"
        self.built["lmvrpack build"] = timed_tool(
            [str(REPO / "build/bench-host/tools/lmvrpack/lmvrpack"), "build", str(self.product), "--main", "LUMIVORA.EXE",
             "--stub", str(stub), "-o", str(self.dir / "install.exe")], self.dir, self.dir / "install.exe")
        for compressor in ("zlib", "lzma"):
            exe = f"nsis-{compressor}.exe"
            subprocess.run([sys.executable, str(REPO / "bench/nsis_script.py"), str(self.product),
                            "--main", "LUMIVORA.EXE", "--compressor", compressor, "--exe", exe,
                            "--options-file", str(work / "lmvr.opt"), "-o", str(self.dir / f"nsis-{compressor}.nsi")],
                           check=True)
            self.built[f"makensis {compressor}"] = timed_tool(["makensis", "-V1", f"nsis-{compressor}.nsi"], self.dir,
                                                              self.dir / exe)
        print(f"scale: {self.label} built: " + "; ".join(f"{tool} {t:.1f} s" for tool, (t, _, _) in self.built.items()),
              flush=True)

    def installers_bytes(self):
        return sum((self.dir / program).stat().st_size for _, program, _ in PEERS)


class ScaleBench(Bench):
    def __init__(self, args, sizes):
        super().__init__(args)
        self.sizes = sizes

    def start(self):
        super().start()
        for size in self.sizes:
            media = self.prefix.unix_path(size.media)
            media.mkdir(exist_ok=True)
            for _, program, _ in PEERS:
                shutil.copy(size.dir / program, media)
            (media / "lmvropt.ini").write_bytes(b"sSilent=1\r\n")

    def measured(self, size, program, args):
        """(seconds, peak resident kilobytes, peak private kilobytes) of one run."""
        name = size.media + "\\" + program
        start = time.perf_counter()
        process = subprocess.Popen(["wine", name, *args], env=self.prefix.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        peak, private = peaks_of(process, name)
        elapsed = time.perf_counter() - start
        if process.returncode != 0:
            raise RuntimeError(f"{name} ended with status {process.returncode}")
        if peak == 0:
            raise RuntimeError(f"{name}: no memory figure was read")
        return elapsed, peak, private

    def run_sizes(self, rounds):
        print("load before:", uptime(), flush=True)
        runs = [(size, peer) for size in self.sizes for peer in PEERS]
        for size, (name, program, args) in runs:  # warm-up, and a check of the result
            self.reset()
            self.measured(size, program, args)
            self.product = size.product
            self.check_installation(f"{name} ({size.label})")
        results = {(size.label, peer[0]): [] for size, peer in runs}
        for round_index in range(rounds):
            shift = round_index % len(runs)
            for size, (name, program, args) in runs[shift:] + runs[:shift]:
                self.reset()
                results[(size.label, name)].append(self.measured(size, program, args))
        self.reset()
        print("load after: ", uptime(), flush=True)
        return results


def report_vendor_side(sizes):
    print("\nThe vendor's side: building the installer for the product (wall clock, CPU time of the tool, "
          "size of what it writes):")
    print(f"  {'size':7s} {'files':>6s} {'MB':>7s}  {'tool':15s} {'s':>7s} {'CPU s':>7s} {'MB out':>8s} {'% of files':>10s}")
    for size in sizes:
        mb = size.bytes / 1e6
        for tool, (wall, cpu, written) in size.built.items():
            print(f"  {size.label:7s} {size.file_count:6d} {mb:7.1f}  {tool:15s} {wall:7.2f} {cpu:7.2f} "
                  f"{written / 1e6:8.2f} {100 * written / size.bytes:10.1f}")


def report(sizes, results, rounds):
    def times(label, name):
        return [t for t, _, _ in results[(label, name)]]

    print(f"\nScale run, {rounds} round{'s' if rounds != 1 else ''} after a warm-up, medians "
          "(wall clock of `wine PROGRAM`; peak memory: VmHWM of the Windows process, Wine included, "
          "and the largest RssAnon, its private part):")
    print(f"  {'size':7s} {'files':>6s} {'MB':>7s}  {'program':12s} {'s':>7s} {'s/MB':>7s} {'ms/file':>8s} {'VmHWM MB':>9s}"
          f" {'private MB':>10s}")
    for size in sizes:
        mb = size.bytes / 1e6
        for name, _, _ in PEERS:
            t = statistics.median(times(size.label, name))
            hwm = statistics.median([k for _, k, _ in results[(size.label, name)]]) / 1024
            private = statistics.median([p for _, _, p in results[(size.label, name)]]) / 1024
            print(f"  {size.label:7s} {size.file_count:6d} {mb:7.1f}  {name:12s} {t:7.2f} {t / mb:7.3f} "
                  f"{1000 * t / size.file_count:8.2f} {hwm:9.1f} {private:10.1f}")
    for size in sizes:
        ratios = [a / b for a, b in zip(times(size.label, "install.exe"), times(size.label, "NSIS zlib"))]
        print(f"  install.exe / NSIS zlib at {size.label}: " + " ".join(f"{r:.2f}" for r in ratios))

    small, middle, large = sizes[0], sizes[-2], sizes[-1]
    per_mb = [(a / (large.bytes / 1e6)) / (b / (middle.bytes / 1e6))
              for a, b in zip(times(large.label, "install.exe"), times(middle.label, "install.exe"))]
    growth = statistics.median(per_mb)
    print(f"\n  install.exe s/MB at {large.label} over {middle.label}, per round: "
          + " ".join(f"{r:.2f}" for r in per_mb))
    print(f"  median {growth:.2f} (target at most {TIME_LIMIT:.2f}): {'PASS' if growth <= TIME_LIMIT else 'FAIL'}")

    def hwm(size, figure=1):
        return statistics.median([run[figure] for run in results[(size.label, "install.exe")]]) / 1024

    grown = hwm(large) - hwm(small)
    print(f"  install.exe peak memory at {large.label} less at {small.label}: {grown:+.1f} MB "
          f"(target at most {MEMORY_LIMIT:.0f} MB): {'PASS' if grown <= MEMORY_LIMIT else 'FAIL'}")

    # Wine maps the payload's resource section from the file (lmvrpack puts it on
    # whole pages of the file), so the payload read so far counts in VmHWM as pages
    # of the file, shared and given back under memory pressure, not as private
    # memory. The private peak is what the installer itself holds (the input chunk,
    # the inflate window, the 2,048-byte pieces).
    print("  install.exe peak private memory: "
          + ", ".join(f"{hwm(size, 2):.1f} MB at {size.label}" for size in sizes)
          + f"; {hwm(large, 2) - hwm(small, 2):+.1f} MB from {small.label} to {large.label}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    work = Path(args.work_dir).resolve()
    scale_dir = REPO / "build/bench-scale"
    sizes = [Size(label, files, megabytes, scale_dir) for label, files, megabytes in SIZES]
    for size in sizes:
        size.prepare(work)
        print(f"scale: {size.label}: {size.file_count} files, {size.bytes:,} bytes; "
              f"install.exe {(size.dir / 'install.exe').stat().st_size:,} bytes, "
              f"NSIS {(size.dir / 'nsis-zlib.exe').stat().st_size:,} bytes", flush=True)

    # The RAM disk holds the prefix, every installer and one installed copy at a time.
    needed = sum(s.installers_bytes() for s in sizes) + max(s.bytes for s in sizes) + 300 * 2**20
    free = shutil.disk_usage("/dev/shm").free
    if free < needed:
        print(f"scale: /dev/shm has {free / 2**20:.0f} MB free, the run needs about {needed / 2**20:.0f} MB",
              file=sys.stderr)
        return 1

    bench = ScaleBench(argparse.Namespace(build_dir=args.build_dir, work_dir=args.work_dir, disk=False), sizes)
    results = run_stopped(bench, lambda: bench.run_sizes(args.rounds), "scale")
    if results is None:
        return 1
    report_vendor_side(sizes)
    report(sizes, results, args.rounds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
