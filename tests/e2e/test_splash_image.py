"""The splash picture on screen: a bitmap and an icon from the media, read by
the program's own readers, checked pixel by pixel in a screenshot. A
registration program that runs until the test releases it keeps the splash
window up without a box over it."""

import os
import shutil
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

RELEASE = "C:\\release.txt"
X, Y = 10, 12
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)


def info(width, height, bits, used=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, used, 0)


def quadrant_bitmap():
    """16 x 16, 24 bits: red, green on top; blue, white below."""
    rows = []
    for y in range(15, -1, -1):  # bottom row first
        row = b""
        for x in range(16):
            r, g, b = (RED if x < 8 else GREEN) if y < 8 else (BLUE if x < 8 else WHITE)
            row += bytes((b, g, r))
        rows.append(row)
    dib = info(16, 16, 24) + b"".join(rows)
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 54) + dib


def half_icon():
    """32 x 32, 4 bits: the left half red and opaque, the right half clear."""
    table = b"\0\0\0\0" + bytes((0, 0, 255, 0)) + b"\0\0\0\0" * 14
    colour = (b"\x11" * 8 + b"\x00" * 8) * 32
    mask = (b"\x00\x00\xff\xff") * 32
    image = info(32, 64, 4) + table + colour + mask
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + image


class SplashImage(harness.WineTestCase):
    own_display = True

    def show(self, name, data, icon):
        staged = os.path.join(self.prefix.work_dir, name)
        with open(staged, "wb") as handle:
            handle.write(data)
        harness.compress(staged, self.media, name)
        program = os.path.join(self.prefix.work_dir, "HOLD.EXE")
        shutil.copyfile(harness.program("fake_setup"), program)
        harness.compress(program, self.media, "HOLD.EXE")
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"),
                           "[BootSetup]\nDialogTitle=E2E Picture\nDialogMessage1=*\nVBCompatible=0\nSetupFileName=\n"
                           f"ImageFile={name};{1 if icon else 0};{X};{Y}\nFile1=HOLD.EXE;;1;;1;HOLD.EX_;2\n")
        run = self.start_setup([], env={"SETUP_E2E_RELEASE": RELEASE})
        self.addCleanup(run.kill)
        splash = harness.wait_window(self.prefix, "SetupWClass", "E2E Picture", 60)
        left, top = splash.client[0] + X, splash.client[1] + Y
        path = os.path.join(self.prefix.work_dir, "splash.png")
        metrics = harness.screen_metrics(self.prefix)
        face = tuple(int(metrics["btnface"][i:i + 2], 16) for i in (0, 2, 4))

        def drawn():
            image = harness.screenshot(self.prefix.display, path)
            return image if image.pixel(left + 1, top + 1) != face else None
        image = harness.poll(drawn, 20, interval=0.2, what="the picture on screen")
        print(f"screenshot: {image.path}")
        with open(self.prefix.unix_path(RELEASE), "w"):
            pass
        self.assertEqual(run.wait(60), 0)
        entries = {key.upper(): value for key, value in harness.last_log_section(self.prefix).entries}
        self.assertEqual(entries.get("IMG,C:\\WINDOWS\\SYSTEM32\\" + name), "1")
        return image, left, top, face

    def test_bitmap_pixels(self):
        image, left, top, face = self.show("LOGO.BMP", quadrant_bitmap(), icon=False)
        for (dx, dy), colour in (((0, 0), RED), ((8, 0), GREEN), ((0, 8), BLUE), ((8, 8), WHITE)):
            self.assertEqual(image.colors(left + dx, top + dy, left + dx + 8, top + dy + 8), {colour}, (dx, dy))
        self.assertEqual(image.pixel(left - 1, top), face)
        self.assertEqual(image.pixel(left + 16, top), face)

    def test_icon_pixels_with_its_mask(self):
        image, left, top, face = self.show("APP.ICO", half_icon(), icon=True)
        self.assertEqual(image.colors(left, top, left + 16, top + 32), {RED})
        self.assertEqual(image.colors(left + 16, top, left + 32, top + 32), {face})


if __name__ == "__main__":
    harness.run_tests()
