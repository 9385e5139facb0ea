#!/usr/bin/env python3
"""The scale run's memory and time figures on a host that runs no 32-bit code: the
64-bit twin of install.exe, at the smallest and the largest of the scale run's sizes,
silent under 64-bit Wine on /dev/shm.

    scale_twin.py --build-dir build/win64 --lmvrpack build/host/tools/lmvrpack/lmvrpack
                  --work-dir build/scale-twin [--stub OTHER-STUB ...] [--rounds 5]

The twin's stub reads its payload as the 32-bit one does, so its peak memory tells
whether the payload stays in the installation's memory; the scale run itself
(bench/run --scale) needs a host that runs the 32-bit installer. For each stub given
(the build's own by default; more to compare, such as one of an earlier tree) and
each size, install.exe is built with lmvrpack around that stub, and the rounds run
every installer once, in the same order. Each run is read as in the scale run: the
wall clock, and the Windows process's VmHWM and largest RssAnon from /proc every
10 ms. Prints the medians and the peak at the largest size less the smallest.
Needs an X display (DISPLAY) for the copy's progress window.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(Path(__file__).resolve().parent))
from scale import SIZES, peaks_of  # noqa: E402

WINE64 = "/usr/lib/wine/wine64"


def measured(prefix, installer):
    """(seconds, VmHWM MB, RssAnon MB) of one silent installation into C:\\Scale."""
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINELOADER=WINE64)
    shutil.copy(installer, prefix / "drive_c/media/install.exe")
    shutil.rmtree(prefix / "drive_c/Scale", ignore_errors=True)
    name = "C:\\media\\install.exe"
    start = time.perf_counter()
    process = subprocess.Popen([WINE64, name, "-silent", "-dir=C:\\Scale"], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    peak, private = peaks_of(process, name)
    seconds = time.perf_counter() - start
    if process.returncode != 0 or peak == 0:
        raise RuntimeError(f"{installer}: status {process.returncode}, no figure or no installation")
    return seconds, peak / 1024, private / 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--lmvrpack", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--stub", action="append", default=[])
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    build, work = Path(args.build_dir).resolve(), Path(args.work_dir).resolve()
    stubs = [build / "install-stub.exe"] + [Path(s).resolve() for s in args.stub]
    sizes = [SIZES[0], SIZES[-1]]
    installers = {}
    for label, files, megabytes in sizes:
        product = work / label.replace(" ", "")
        if not product.exists():
            subprocess.run([sys.executable, str(REPO / "bench/make_product.py"), str(product), "--main",
                            str(build / "examples/product/LUMIVORA.EXE"), "--files", str(files),
                            "--megabytes", str(megabytes)], check=True)
        for number, stub in enumerate(stubs):
            installer = work / f"install-{label.replace(' ', '')}-{number}.exe"
            subprocess.run([args.lmvrpack, "build", str(product), "--main", "LUMIVORA.EXE", "--stub", str(stub),
                            "-o", str(installer)], check=True, stdout=subprocess.DEVNULL)
            installers[(label, number)] = installer
    prefix = Path("/dev/shm") / f"lmvr-scale-twin-{os.getpid()}"
    shutil.copytree(build / "e2e/base", prefix, symlinks=True)
    (prefix / "drive_c/media").mkdir(exist_ok=True)
    try:
        runs = {key: [] for key in installers}
        for _ in range(args.rounds):
            for key, installer in installers.items():
                runs[key].append(measured(prefix, installer))
    finally:
        subprocess.run([WINE64.replace("wine64", "wineserver"), "-k"], env=dict(os.environ, WINEPREFIX=str(prefix)))
        shutil.rmtree(prefix, ignore_errors=True)
    for number, stub in enumerate(stubs):
        medians = {label: [statistics.median(r[i] for r in runs[(label, number)]) for i in range(3)]
                   for label, _, _ in sizes}
        print(f"{stub}:")
        for label, (seconds, hwm, anon) in medians.items():
            print(f"  {label}: {seconds:.2f} s, VmHWM {hwm:.1f} MB, RssAnon {anon:.1f} MB")
        first, last = medians[sizes[0][0]], medians[sizes[-1][0]]
        print(f"  peak at {sizes[-1][0]} less at {sizes[0][0]}: {last[1] - first[1]:+.1f} MB")


if __name__ == "__main__":
    main()
