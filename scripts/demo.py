#!/usr/bin/env python3
"""The main job after the build: installs the built install.exe (with the sample
product inside) into a fresh Wine prefix on a virtual screen, silently, and shows
what the installation produced; uninstalls it again, silently, and shows what is
left of it (nothing, without a restart); then walks an interactive installation in a
second fresh prefix and saves a picture of each dialog.

    scripts/demo.py --build-dir build/win32 [--interactive] [--language=F] [--no-pictures]
                    [--prefix-dir DIR]

--interactive runs the installer on your own screen ($DISPLAY) instead, for you to
click through, and then shows what it produced. --language=F (or G, S, I, P, D) starts
the installer with "-language=F" (the build must pack it: build/win32-languages).
--prefix-dir puts the Wine prefixes elsewhere than build/demo (the emulated machine
keeps them on its own tmpfs); --no-pictures leaves out the interactive walk and its
pictures.
"""

import argparse
import os
import shutil
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from wine_session import EXTENSIONS, PRODUCT_DIR, UNINSTALL_KEY, Screen, WinePrefix, wait_for  # noqa: E402
from e2e_install import ASSOCIATION, COMPLETION, DESTINATION, LICENCE  # noqa: E402
from e2e_languages import LANGUAGES, read_po  # noqa: E402


def section(title):
    print(f"\n== {title}")


def show_result(prefix, status):
    names = {0: "installation completed", 1: "left by the user", 2: "ended by an error"}
    section(f"exit status {status}: {names.get(status, 'unexpected')}")

    target = prefix.unix_path(PRODUCT_DIR)
    section(f"files in {PRODUCT_DIR}")
    if target.exists():
        for path in sorted(target.rglob("*")):
            if path.is_file():
                rel = str(path.relative_to(target)).replace("/", "\\")
                print(f"  {path.stat().st_size:>9}  {rel}")
    else:
        print("  (not created)")

    section("registry: HKEY_CLASSES_ROOT\\Lumivora (the installed-file records summarised)")
    keys = prefix.reg_query("HKEY_CLASSES_ROOT\\Lumivora")
    records = [k for k in keys if k.startswith("HKEY_CLASSES_ROOT\\Lumivora\\installed\\")]
    for key, values in keys.items():
        if key in records:
            continue
        for name, data in values.items():
            print(f"  {key}  {name or '(default)'} = {data}")
    print(f"  ... {len(records)} records below HKEY_CLASSES_ROOT\\Lumivora\\installed, e.g.:")
    for key in records[:5]:
        print(f"      {key.rsplit(chr(92), 1)[1]}")

    section("registry: extensions")
    for ext in EXTENSIONS:
        print(f"  HKEY_CLASSES_ROOT\\{ext} = {prefix.default_value('HKEY_CLASSES_ROOT' + chr(92) + ext)}")

    section("registry: uninstall entry")
    for key, values in prefix.reg_query(UNINSTALL_KEY).items():
        for name, data in values.items():
            print(f"  {name} = {data}")

    section("Start Menu group")
    group = prefix.start_menu_group()
    if group:
        print(f"  {group.relative_to(prefix.path)}")
        for link in sorted(group.iterdir()):
            print(f"    {link.name}")
    else:
        print("  (none)")

    section("lmvr.opt (the settings handed to the installed program)")
    opt = target / "lmvr.opt"
    if opt.exists():
        data = opt.read_bytes()
        count = int.from_bytes(data[:2], "little")
        texts = data[2:].split(b"\0")
        print(f"  {len(data)} bytes, {count} entries")
        for i in range(count):
            print(f"    {texts[2 * i].decode('latin-1')} = {texts[2 * i + 1].decode('latin-1')}")
    else:
        print("  (not written: nothing to hand on)")

    section("the installed program")
    log = target / "lmvr-started.log"
    wait_for(log.exists, 10)
    if log.exists():
        for line in log.read_text().splitlines():
            print(f"  {line}")
    else:
        print("  (not started)")


def uninstall_and_show_remains(prefix):
    program = PRODUCT_DIR + "\\LUMIVORA.EXE"
    # The program the installation started is closed first, as a user would close it
    # before an uninstall: a running program's file cannot be removed.
    while prefix.run(prefix.driver, "wait", "Lumivora", "1000")[0] == 0:
        prefix.run(prefix.driver, "close", "Lumivora")
        prefix.run(prefix.driver, "gone", "Lumivora", "2000")
    section(f"uninstalling: {program} . -u -silent")
    status = prefix.run(program, ".", "-u", "-silent")[0]
    names = {0: "removed", 1: "declined", 2: "something could not be removed"}
    print(f"  exit status {status}: {names.get(status, 'unexpected')}")
    # The running program's own file and directory go as soon as it has ended, removed
    # by its copy in the temporary folder (which itself waits for the next restart).
    target = prefix.unix_path(PRODUCT_DIR)
    wait_for(lambda: not target.exists(), 20)
    section("what remains of the installation, without a restart")
    remains = []
    if target.exists():
        remains += [str(p) for p in [target] + sorted(target.rglob("*"))]
    for key in ("HKEY_CLASSES_ROOT\\Lumivora", UNINSTALL_KEY):
        remains += list(prefix.reg_query(key))
    remains += [f"HKEY_CLASSES_ROOT\\{ext} = Lumivora" for ext in EXTENSIONS
                if prefix.default_value("HKEY_CLASSES_ROOT\\" + ext) == "Lumivora"]
    group = prefix.start_menu_group()
    if group:
        remains.append(str(group))
    for line in remains:
        print(f"  {line}")
    print("  (nothing)" if not remains else f"  {len(remains)} things left")
    prefix.stop()
    return status


def fresh_prefix(base, path):
    prefix = base.copy_to(path)
    prefix.start_server()
    return prefix


def media(prefix, build_dir, options=None):
    folder = prefix.unix_path("C:\\media")
    folder.mkdir(exist_ok=True)
    shutil.copy(build_dir / "install.exe", folder / "install.exe")
    if options:
        (folder / "lmvropt.ini").write_text(options)
    return "C:\\media\\install.exe"


def titles(language):
    """The dialogs' titles in the language: destination, licence, checklist, completion."""
    if language == "E":
        return DESTINATION, LICENCE, ASSOCIATION, COMPLETION
    po = read_po(LANGUAGES[language])
    return po["winTit"], po["210.caption"], po["240.caption"], po["230.caption"]


def switches(language):
    return ["-language=" + language] if language != "E" else []


def picture_walk(prefix, screen, driver, pictures, language):
    pictures.mkdir(parents=True, exist_ok=True)
    process = prefix.start("C:\\media\\install.exe", *switches(language))
    destination, licence, associations, completion = titles(language)
    steps = [
        (destination, "1-destination.png", "1"),
        (licence, "2-licence.png", "1"),
        (associations, "3-associations.png", "1"),
        # The copy dialog is gone within a blink; scripts/render-dialogs draws it.
        (completion, "5-completion.png", "2"),
    ]
    for title, name, button in steps:
        if prefix.run(driver, "wait", title, "60000")[0] != 0:
            print(f"  no dialog '{title}' appeared")
            break
        if title == completion:
            # Wine's Program Manager opened the group's folder windows on top of the
            # dialog; close them, as a user would, before the picture.
            while prefix.run(driver, "wait", "Lumivora", "300")[0] == 0:
                prefix.run(driver, "close", "Lumivora")
                prefix.run(driver, "gone", "Lumivora", "300")
        prefix.run(driver, "activate", title)
        time.sleep(0.5)  # let it paint
        screen.screenshot(pictures / name)
        print(f"  {pictures / name}")
        prefix.run(driver, "press", title, button)
    process.wait(60)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", default=str(ROOT / "build" / "win32"))
    parser.add_argument("--interactive", action="store_true")
    parser.add_argument("--language", choices=["E", *LANGUAGES], default="E")
    parser.add_argument("--prefix-dir")
    parser.add_argument("--no-pictures", action="store_true")
    args = parser.parse_args()
    build_dir = Path(args.build_dir).resolve()
    driver = build_dir / "tests" / "window_driver.exe"
    work = build_dir.parent / "demo"
    prefixes = Path(args.prefix_dir).resolve() if args.prefix_dir else work
    for folder in {work, prefixes}:
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)

    if args.interactive and not os.environ.get("DISPLAY"):
        sys.exit("--interactive needs a screen: DISPLAY is not set")
    # Interactive: your screen. Otherwise a virtual one of our own, even when DISPLAY is set.
    screen = Screen(use_environment=args.interactive).start()

    try:
        print(f"== preparing a fresh Wine prefix in {prefixes / 'base'} (10 to 20 s natively)")
        base = WinePrefix(prefixes / "base", screen.display, driver=driver).create()

        if args.interactive:
            prefix = fresh_prefix(base, prefixes / "interactive")
            holder = prefix.desktop_up()
            installer = media(prefix, build_dir)
            print("== the installer is on your screen; click through it")
            status = prefix.run(installer, *switches(args.language), timeout=3600)[0]
            show_result(prefix, status)
            prefix.stop()
            holder.wait(10)
            return 0

        prefix = fresh_prefix(base, prefixes / "silent")
        holder = prefix.desktop_up()
        installer = media(prefix, build_dir, "sSilent=1\r\n")
        print(f"== installing silently: {installer} {' '.join(switches(args.language))}"
              " with lmvropt.ini holding sSilent=1")
        started = time.monotonic()
        status = prefix.run(installer, *switches(args.language))[0]
        print(f"   took {time.monotonic() - started:.2f} s")
        show_result(prefix, status)
        uninstalled = uninstall_and_show_remains(prefix)
        holder.wait(10)
        if args.no_pictures:
            return 0 if status == 0 and uninstalled == 0 else 1

        section("an interactive installation, a picture of each dialog")
        prefix = fresh_prefix(base, prefixes / "pictures-prefix")
        holder = prefix.desktop_up()
        media(prefix, build_dir)
        picture_walk(prefix, screen, driver, work / "pictures", args.language)
        prefix.stop()
        holder.wait(10)
        print(f"\nThe pictures are in {work / 'pictures'}")
        return 0 if status == 0 and uninstalled == 0 else 1
    finally:
        screen.stop()


if __name__ == "__main__":
    sys.exit(main())
