"""A Wine prefix with its own wineserver and a virtual screen, for running the real
install.exe from the outside: used by the end-to-end tests and the demo."""

import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

WINE_ENV = {
    "WINEDEBUG": "-all",
    # No menu entries on the host, and no prompts to download Mono or Gecko.
    "WINEDLLOVERRIDES": "winemenubuilder.exe=d;mscoree=d;mshtml=d",
}

# What every prefix gets after wineboot, shared with scripts/wine-run.
PREFIX_SETTINGS = Path(__file__).resolve().parent.parent.parent / "scripts" / "wine-prefix.reg"

PRODUCT_DIR = r"C:\Program Files\Lumivora"
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivora"
EXTENSIONS = [".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"]

# The kind of prefix: win32 for the real images, win64 for the 64-bit twin build.
# Debian's wine wrapper takes the 32-bit loader whenever it is installed, also on a
# host that cannot run it, so a 64-bit prefix is driven by the 64-bit loader itself.
ARCH = "win32"
LOADERS = {"win32": "wine", "win64": "/usr/lib/wine/wine64"}

# Every limit of the end-to-end runs is multiplied by this: the emulated machine
# (scripts/vm) sets it, since a Windows program starts 20 to 30 times slower there.
# Wine hands the variable on to window_driver.exe, which scales its own waits by it.
TIME_FACTOR = max(1.0, float(os.environ.get("LMVR_TIME_FACTOR", "1")))

# The keys whose contents one reg_query reads in the same process, since starting a
# Windows program is what costs (about 10 s each in the emulated machine).
WATCHED_KEYS = ["HKEY_CLASSES_ROOT\\Lumivora", UNINSTALL_KEY] + ["HKEY_CLASSES_ROOT\\" + e for e in EXTENSIONS]


class Screen:
    """An Xvfb screen of its own, or the screen of DISPLAY when asked to use it."""

    def __init__(self, display=None, use_environment=False):
        self.process = None
        self.display = display or (os.environ.get("DISPLAY") if use_environment else None)

    def start(self):
        if self.display:
            return self
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return self

    def stop(self):
        if self.process:
            self.process.terminate()
            self.process.wait(10)
            self.process = None

    def screenshot(self, path):
        """The whole screen as a PNG (needs ImageMagick's import)."""
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class WinePrefix:
    def __init__(self, path, display, arch=None, driver=None):
        self.path = Path(path).resolve()
        self.arch = arch or ARCH
        self.wine = LOADERS[self.arch]
        self.env = dict(os.environ)
        self.env.update(WINE_ENV)
        self.env["WINEARCH"] = self.arch
        if self.arch == "win64":
            self.env["WINELOADER"] = self.wine
        self.env["WINEPREFIX"] = str(self.path)
        self.env["DISPLAY"] = display
        # window_driver.exe, when the caller has one: it reads many registry keys in
        # one process, where reg.exe takes one process per key.
        self.driver = driver
        self.registry = None
        self.background = []

    # -- life cycle ---------------------------------------------------------------
    def create(self):
        """A fresh prefix (10 to 20 s)."""
        shutil.rmtree(self.path, ignore_errors=True)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run([self.wine, "wineboot", "-i"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The settings every prefix of ours gets (unmanaged windows, the licence's font).
        self.run("reg", "import", "Z:" + str(PREFIX_SETTINGS))
        self.stop()
        return self

    def copy_to(self, path):
        """A copy of this (stopped) prefix, for one test case."""
        target = Path(path)
        shutil.rmtree(target, ignore_errors=True)
        subprocess.run(["cp", "-a", "--reflink=auto", str(self.path), str(target)], check=True)
        return WinePrefix(target, self.env["DISPLAY"], self.arch, self.driver)

    def start_server(self):
        subprocess.run(["wineserver", "-p"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        """Ends every process of the prefix and writes its registry to disk."""
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def restart(self):
        """Windows restarted (the prefix is left stopped): wineboot carries out the file
        deletions that programs asked for at the next start."""
        self.stop()
        self.registry = None
        status = subprocess.run([self.wine, "wineboot", "-r"], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL).returncode
        self.stop()
        return status

    # -- running programs -------------------------------------------------------
    def _output_files(self):
        # Wine's helper processes inherit the program's output handles and outlive it:
        # files, unlike pipes, do not keep the caller waiting for them.
        out = tempfile.TemporaryFile()
        err = tempfile.TemporaryFile()
        return out, err

    def run(self, program, *args, timeout=120, cwd=None, env=None):
        """Runs a Windows program to its end: (exit status, stdout, stderr). `env` adds
        to the environment Wine hands on to the program."""
        # Whatever a program does may change the registry.
        self.registry = None
        timeout = timeout * TIME_FACTOR if timeout else timeout
        out, err = self._output_files()
        with out, err:
            status = subprocess.run([self.wine, str(program), *map(str, args)], env={**self.env, **(env or {})},
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                    timeout=timeout, cwd=cwd).returncode
            out.seek(0)
            err.seek(0)
            return (status, out.read().decode("latin-1").replace("\r", ""),
                    err.read().decode("latin-1").replace("\r", ""))

    def start(self, program, *args, cwd=None, background=True):
        """Starts a Windows program without waiting: a Popen whose wait() gives its status.
        A background program may change the registry while it runs; one that only keeps
        the desktop up (background=False) does not."""
        self.registry = None
        out, err = self._output_files()
        process = subprocess.Popen([self.wine, str(program), *map(str, args)], env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=out, stderr=err, cwd=cwd)
        process.out = out
        if background:
            self.background.append(process)
        return process

    def desktop_up(self, timeout_ms=30000):
        """Starts the Wine desktop (and so the shell's Program Manager service) and keeps
        it up: window_driver's hold, which answers once the service does. Returns the
        holder, whose wait() follows stop(). On a loaded machine the service of a fresh
        prefix has been seen not to come up at the first start of the desktop: it is
        asked once more."""
        for _ in range(2):
            holder = self.start(self.driver, "hold", timeout_ms, background=False)

            def holding():
                holder.out.seek(0)
                return b"holding" in holder.out.read() or holder.poll() is not None
            wait_for(holding, timeout_ms / 1000 + 30)
            holder.out.seek(0)
            if b"holding" in holder.out.read():
                return holder
            if holder.poll() is None:
                holder.kill()
            holder.wait(10)
        raise AssertionError("the shell's Program Manager service did not come up")

    # -- looking at the result --------------------------------------------------
    def unix_path(self, windows_path):
        """drive_c path of a C:\\ path."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return self.path / "drive_c" / windows_path[3:].replace("\\", "/")

    def reg_query(self, key):
        """{key path: {value name: data}} for the key and all below it ({} when missing).
        The default value is named ''. With a window_driver, the watched keys are read
        together and kept until the next Windows program runs."""
        if self.driver is None:
            status, out, _ = self.run("reg", "query", key, "/s")
            return self.parse_query(out) if status == 0 else {}
        def under(name, top):
            name = name.lower()
            return name == top or name.startswith(top + "\\")
        folded = key.lower()
        # A program still running may change the registry at any time.
        if any(process.poll() is None for process in self.background):
            self.registry = None
        if self.registry is None or not any(under(key, read) for read in self.registry[0]):
            wanted = list(dict.fromkeys([key] + WATCHED_KEYS))
            status, out, err = self.run(self.driver, "query", *wanted)
            if status != 0:
                # Under load a Wine process now and then ends at its start, before it
                # reads a key: a query changes nothing, so it is asked once more.
                status, out, err = self.run(self.driver, "query", *wanted)
            if status != 0:
                raise RuntimeError(f"window_driver query failed ({status}): " + err)
            self.registry = ({w.lower() for w in wanted}, self.parse_query(out))
        return {k: v for k, v in self.registry[1].items() if under(k, folded)}

    @staticmethod
    def parse_query(out):
        keys = {}
        current = None
        for line in out.split("\n"):
            if line.startswith("HKEY_"):
                current = keys.setdefault(line.strip(), {})
            elif line.startswith("    ") and current is not None:
                parts = line[4:].split("    ", 2)
                if len(parts) >= 2:
                    name = "" if parts[0] == "(Default)" else parts[0]
                    current[name] = parts[2] if len(parts) > 2 else ""
        return keys

    def default_value(self, key):
        """The default value of one key, None when key or value is missing."""
        return self.reg_query(key).get(key, {}).get("")

    def start_menu_group(self, name="Lumivora"):
        users = self.path / "drive_c" / "users"
        for user in sorted(users.iterdir()) if users.exists() else []:
            group = user / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs" / name
            if group.is_dir():
                return group
        return None


def wait_for(predicate, timeout=15.0, interval=0.1):
    end = time.monotonic() + timeout * TIME_FACTOR
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(interval)
