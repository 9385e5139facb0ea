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
    "WINEARCH": "win32",
    "WINEDEBUG": "-all",
    # No menu entries on the host, and no prompts to download Mono or Gecko.
    "WINEDLLOVERRIDES": "winemenubuilder.exe=d;mscoree=d;mshtml=d",
}

PRODUCT_DIR = r"C:\Program Files\Lumivora"
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivora"
EXTENSIONS = [".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"]


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
    def __init__(self, path, display):
        self.path = Path(path).resolve()
        self.env = dict(os.environ)
        self.env.update(WINE_ENV)
        self.env["WINEPREFIX"] = str(self.path)
        self.env["DISPLAY"] = display

    # -- life cycle ---------------------------------------------------------------
    def create(self):
        """A fresh prefix (10 to 20 s)."""
        shutil.rmtree(self.path, ignore_errors=True)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["wineboot", "-i"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Wine waits about 2 s at every window close for a window manager, which Xvfb
        # does not have; unmanaged windows close at once.
        self.run("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        self.stop()
        return self

    def copy_to(self, path):
        """A copy of this (stopped) prefix, for one test case."""
        target = Path(path)
        shutil.rmtree(target, ignore_errors=True)
        subprocess.run(["cp", "-a", "--reflink=auto", str(self.path), str(target)], check=True)
        return WinePrefix(target, self.env["DISPLAY"])

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
        status = subprocess.run(["wineboot", "-r"], env=self.env, stdout=subprocess.DEVNULL,
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

    def run(self, program, *args, timeout=120, cwd=None):
        """Runs a Windows program to its end: (exit status, stdout, stderr)."""
        out, err = self._output_files()
        with out, err:
            status = subprocess.run(["wine", str(program), *map(str, args)], env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                    timeout=timeout, cwd=cwd).returncode
            out.seek(0)
            err.seek(0)
            return (status, out.read().decode("latin-1").replace("\r", ""),
                    err.read().decode("latin-1").replace("\r", ""))

    def start(self, program, *args, cwd=None):
        """Starts a Windows program without waiting: a Popen whose wait() gives its status."""
        out, err = self._output_files()
        return subprocess.Popen(["wine", str(program), *map(str, args)], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=out, stderr=err, cwd=cwd)

    # -- looking at the result --------------------------------------------------
    def unix_path(self, windows_path):
        """drive_c path of a C:\\ path."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return self.path / "drive_c" / windows_path[3:].replace("\\", "/")

    def reg_query(self, key):
        """{key path: {value name: data}} for the key and all below it ({} when missing).
        The default value is named ''."""
        status, out, _ = self.run("reg", "query", key, "/s")
        if status != 0:
            return {}
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
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(interval)
