"""The demo's run under Wine, after scripts/demo has built everything: media
from the example manifest, linted, then run in a Wine virtual desktop, which
draws window frames itself, so that the screenshots show the windows as a
user sees them."""

import configparser
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.getcwd(), "tests", "e2e"))
import harness  # noqa: E402

DESKTOP = "Demo"
SCREEN = (800, 600)
HOLD = "C:\\demo-hold.txt"  # the registered demo program waits for it
MAIN_PROGRAM = (480, 230)   # the demo main setup program's window, centred


def step(text):
    print(f"== {text}", flush=True)


def manifest_for(build, demo):
    """examples/media.ini, with its programs taken from this build."""
    source = os.path.join("examples", "media.ini")
    if build == "win32":
        return source
    with open(source) as handle:
        text = handle.read()
    examples = os.path.abspath("examples")
    # Relative paths become absolute, and the i686 build's files the twin's.
    text = re.sub(r"^(File\d*|Image)=(?!/)", lambda m: f"{m.group(0)}{examples}/", text, flags=re.M)
    text = text.replace("/build/win32/", "/build/win64/").replace("[Media]", "[Media]\nSetupExe=" +
                                                                  os.path.abspath("build/win64/SETUP.EXE"), 1)
    derived = os.path.join(demo, "media-win64.ini")
    with open(derived, "w") as handle:
        handle.write(text)
    return derived


def setup_media(*args):
    tool = os.path.join(os.environ["SETUP_HOST_BIN"], "setup-media")
    result = subprocess.run([tool, *args], text=True, capture_output=True)
    print(result.stdout + result.stderr, end="", flush=True)
    return result.returncode


def window_size(manifest):
    parser = configparser.ConfigParser(strict=False, interpolation=None)
    parser.optionxform = str
    parser.read(manifest)
    settings = parser["Settings"] if parser.has_section("Settings") else {}
    return int(settings.get("DialogWidth", 300)), int(settings.get("DialogHeight", 150))


def centred(size):
    return (SCREEN[0] - size[0]) // 2, (SCREEN[1] - size[1]) // 2, size[0], size[1]


def photograph(display, desktop, box, path, ready):
    """Polls the virtual desktop until `ready(image, box)`; saves the box as PNG."""
    whole = path + ".desktop.png"

    def shot():
        env = dict(os.environ, DISPLAY=display)
        code, _, _ = harness.run_quiet(["import", "-window", desktop, whole], env=env, timeout=60)
        image = harness.Image(whole) if code == 0 else None
        return image if image and ready(image, box) else None
    harness.poll(shot, 60, interval=0.3, what=f"the window in {path}")
    left, top, width, height = box
    harness.run_quiet(["convert", whole, "-crop", f"{width}x{height}+{left}+{top}", "+repage", path])
    os.remove(whole)
    return path


def drawn(image, box):
    """The title bar differs from the empty desktop, and text stands in the window."""
    left, top, width, height = box
    if image.pixel(left + width // 2, top + 8) == image.pixel(2, 2):
        return False
    dark = sum(1 for y in range(top + 30, top + height - 10, 2) for x in range(left + 10, left + width - 10, 2)
               if sum(image.pixel(x, y)) < 200)
    return dark > 20


def main(demo):
    build = "win32"
    reason = harness.no_32bit_reason()
    if reason:
        build = harness.BUILD = "win64"
        step(f"The i686 product cannot run here ({reason}); showing the x86-64 build instead")
    else:
        step("Running the product: the i686 SETUP.EXE (PE32) under 32-bit Wine")
    manifest = manifest_for(build, demo)
    media = os.path.join(demo, "media")
    shutil.rmtree(media, ignore_errors=True)
    step(f"setup-media build {manifest} -o {media} --images")
    if setup_media("build", manifest, "-o", media, "--images") != 0:
        return 1
    print(f"   the floppy image of disk 1: {os.path.join(media, 'DISK1.IMG')} (1.44 MB FAT12)")
    step(f"setup-media lint {media}")
    if setup_media("lint", media) != 0:
        return 1
    print("   no findings")

    step("Preparing a Wine prefix and a virtual display (the first time takes a while)")
    prefix = harness.new_prefix("demo", own_display=True)
    try:
        prefix.map_drive_d(os.path.join(media, "DISK1"))
        step(f"Running D:\\SETUP.EXE in a {SCREEN[0]}x{SCREEN[1]} Wine virtual desktop")
        run = harness.SetupRun(prefix, "explorer", [f"/desktop={DESKTOP},{SCREEN[0]}x{SCREEN[1]}", "D:\\SETUP.EXE"],
                               env={"DEMO_SETUP_HOLD": HOLD})
        desktop = harness.wait_x_window(prefix.display, f"{DESKTOP} - Wine desktop", 60)
        splash = photograph(prefix.display, desktop, centred(window_size(manifest)),
                            os.path.join(demo, "splash.png"), drawn)
        print(f"   splash window: {splash}")
        with open(prefix.unix_path(HOLD), "w"):
            pass
        main_program = photograph(prefix.display, desktop, centred(MAIN_PROGRAM),
                                  os.path.join(demo, "main-program.png"), drawn)
        print(f"   main setup program: {main_program}")
        print("   the bootstrapper waits, hidden, until the main setup program ends...")
        section = harness.poll(lambda: finished_log(prefix), 120, interval=0.5, what="the end of the run")
        run.kill()
        step("Setup log section (C:\\WINDOWS\\ZOVURERU.INI)")
        print(f"[{section.name}]")
        for key, value in section.entries:
            print(f"{key}={value}")
        code, out, _ = harness.wine(prefix, ["reg", "query", "HKCU\\Software\\Demo Setup", "/v", "Registered"])
        print("   the registered demo program " + ("recorded itself" if "registered" in out else "left nothing"))
    finally:
        prefix.close()
    return 0


def finished_log(prefix):
    """The run's log section once the clean-up has written its last entry."""
    try:
        section = harness.last_log_section(prefix)
    except (OSError, harness.HarnessError):
        return None
    return section if section and "DT" in section.keys() else None


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
