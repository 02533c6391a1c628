"""SETUP.EXE under Wine starts the main setup program from each form of
list, waits for it hidden, cleans up after it; a missing main setup program
is reported in a box while the splash window is on screen."""

import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

RECORD = "C:\\setup-record.txt"
RELEASE = "C:\\setup-release"
WINDIR = "C:\\WINDOWS\\"
SYSDIR = "C:\\windows\\system32\\"
PROGRAM = WINDIR + "SETUP1.EXE"

FORM0_LIST = """[BootSetup]
DialogTitle=E2E Own List
VBCompatible=0
"""

FORM3_LIST = "SETUP1.EX_\n"

# The program part of the Setup key is started; its switches come before
# the source directory.
FORM4_LIST = """[BootSetup]
DialogTitle=E2E Sectioned
[Bootstrap]
File1=1,,SETUP1.EX_,SETUP1.EXE,$(WinPath),,,,,1.0.0.0
[Setup]
Setup=MAIN.EXE /Q
"""
MAIN = WINDIR + "MAIN.EXE"


class LaunchForms(harness.WineTestCase):
    """One list form a test; the main setup program is the fake one, held
    running until the test releases it, so the wait is seen, not raced."""

    def put_main_program(self):
        harness.compress(harness.program("fake_setup"), self.media, "SETUP1.EXE")

    def launch(self, args, list_name="SETUP.LST", list_text=None, program="SETUP.EXE"):
        if list_text is not None:
            harness.write_crlf(os.path.join(self.media, list_name), list_text)
        shutil.copyfile(harness.setup_exe(), os.path.join(self.media, program))
        env = {"SETUP_E2E_RECORD": RECORD, "SETUP_E2E_RELEASE": RELEASE}
        return harness.start_setup(self.prefix, args, program_path="D:\\" + program, env=env)

    def record_path(self):
        return self.prefix.unix_path(RECORD)

    def wait_started(self, run):
        """Waits until the main setup program runs and the bootstrapper hides."""
        harness.poll(lambda: harness.read_record(self.record_path()) or not run.running(), 60,
                     what="the main setup program to start")
        self.assertTrue(run.running(), f"ended before its main setup program: {run.traced_boxes()}")
        harness.wait_window_gone(self.prefix, "SetupWClass", "*", 20)
        hidden = harness.find_windows(self.prefix, "SetupWClass")
        self.assertEqual([w.visible for w in hidden], [False])

    def release_and_finish(self, run):
        record = harness.read_record(self.record_path())
        self.assertNotIn("ended", record)
        self.assertTrue(run.running(), "the bootstrapper did not wait")
        open(self.prefix.unix_path(RELEASE), "w").close()
        self.assertEqual(run.wait(60), 0)
        record = harness.read_record(self.record_path())
        self.assertEqual(record.get("ended"), "1")
        self.assertEqual(run.traced_boxes(), [])
        return record

    def assert_log(self, expected):
        """The expected entries appear in this order (later phases may add others between)."""
        entries = harness.last_log_section(self.prefix).entries
        self.assertEqual(entries[:2], expected[:2])
        position = 0
        for entry in expected:
            self.assertIn(entry, entries[position:], f"{entry} missing or out of order in {entries}")
            position = entries.index(entry, position) + 1
        keys = [k for k, _ in entries]
        for key in ("L", "T", "OS"):
            self.assertNotIn(key, keys)
        self.assertNotIn("400", [v for _, v in entries])

    def assert_expanded_copy(self):
        with open(self.prefix.unix_path(PROGRAM), "rb") as copy, \
                open(harness.program("fake_setup"), "rb") as original:
            self.assertEqual(copy.read(), original.read())

    def header(self, title):
        return [("A", title), ("V", f"6.1 95 ({harness.version_label()})")]

    def test_own_list_form_0(self):
        self.put_main_program()
        run = self.launch(["/X", "ARG"], list_text=FORM0_LIST)
        self.wait_started(run)
        self.assert_expanded_copy()
        self.assertEqual(harness.read_record(self.record_path())["cmdline"], "C:\\WINDOWS\\SETUP1.EXE D:\\ /X ARG")
        record = self.release_and_finish(run)
        self.assertEqual(record["cwd"].rstrip("\\").upper(), "C:\\WINDOWS")
        self.assertFalse(os.path.exists(self.prefix.unix_path(PROGRAM)))
        self.assert_log(self.header("E2E Own List") + [
            ("1", WINDIR), ("2", SYSDIR), ("3", "D:\\"), (PROGRAM, "101"),
            ("Cmd", "C:\\WINDOWS\\SETUP1.EXE D:\\ /X ARG"), ("C", "1"), ("DS", "1")])
        self.assertNotIn("VB", harness.last_log_section(self.prefix).keys())

    def test_temporary_directory_is_a_new_one_and_is_removed(self):
        # A folder of that name already there is never reused.
        planted = self.prefix.unix_path("C:\\")
        os.makedirs(os.path.join(planted, "E2ETEMP"), exist_ok=True)
        self.put_main_program()
        run = self.launch([], list_text=FORM0_LIST + "UseTempDir=1\nTempDir=E2ETEMP\n")
        self.wait_started(run)
        record = harness.read_record(self.record_path())
        self.assertEqual(record["cmdline"], "C:\\E2ETEMP.001\\SETUP1.EXE D:\\")
        self.release_and_finish(run)
        self.assertFalse(os.path.exists(self.prefix.unix_path("C:\\E2ETEMP.001")))
        self.assertTrue(os.path.isdir(os.path.join(planted, "E2ETEMP")))
        self.assertEqual(harness.last_log_section(self.prefix).get("DT"), "1")

    def test_list_named_after_the_program_without_arguments(self):
        # INSTALL.EXE reads INSTALL.LST; with no SETUP.LST the own list is used.
        self.put_main_program()
        run = self.launch([], list_name="INSTALL.LST", list_text="[BootSetup]\nDialogTitle=E2E Install\n",
                          program="INSTALL.EXE")
        self.wait_started(run)
        self.release_and_finish(run)
        self.assertEqual(harness.read_record(self.record_path())["cmdline"], "C:\\WINDOWS\\SETUP1.EXE D:\\")
        self.assert_log(self.header("E2E Install") + [
            ("3", "D:\\"), (PROGRAM, "101"), ("Cmd", "C:\\WINDOWS\\SETUP1.EXE D:\\"), ("C", "1"),
            ("DS", "1")])
        self.assertNotIn("VB", harness.last_log_section(self.prefix).keys())

    def test_plain_list_form_3(self):
        self.put_main_program()
        run = self.launch(["/X", "ARG"], list_text=FORM3_LIST)
        self.wait_started(run)
        self.assert_expanded_copy()
        record = self.release_and_finish(run)
        self.assertEqual(record["cmdline"], "C:\\WINDOWS\\SETUP1.EXE D:\\ /X ARG")
        self.assertFalse(os.path.exists(self.prefix.unix_path(PROGRAM)))
        # The plain list has no BootSetup section: the default title.
        self.assert_log(self.header("Setup") + [
            ("VB", "3,SETUP1.EXE;"), ("1", WINDIR), ("2", SYSDIR), ("3", "D:\\"), (PROGRAM, "101"),
            ("Cmd", "C:\\WINDOWS\\SETUP1.EXE D:\\ /X ARG"), ("C", "1"), ("DS", "1")])

    def test_sectioned_list_form_4(self):
        self.put_main_program()
        # The installation loop puts the listed program in place; placing it
        # beforehand keeps this test about the launch, the wait and the clean-up.
        shutil.copyfile(harness.program("fake_setup"), self.prefix.unix_path(MAIN))
        run = self.launch(["/X", "ARG"], list_text=FORM4_LIST)
        self.wait_started(run)
        copied_list = self.prefix.unix_path(WINDIR + "SETUP.LST")
        with open(copied_list, "rb") as copy, open(os.path.join(self.media, "SETUP.LST"), "rb") as original:
            self.assertEqual(copy.read(), original.read())
        record = self.release_and_finish(run)
        self.assertEqual(record["cmdline"], "C:\\WINDOWS\\MAIN.EXE /Q D:\\ /X ARG")
        # The clean-up removes the list it copied, never a program it did not write.
        self.assertTrue(os.path.exists(self.prefix.unix_path(MAIN)))
        self.assertFalse(os.path.exists(copied_list))
        self.assert_log(self.header("E2E Sectioned") + [
            ("VB", "4"), ("1", WINDIR), ("2", SYSDIR), ("3", "D:\\"),
            ("Cmd", "C:\\WINDOWS\\MAIN.EXE /Q D:\\ /X ARG"), ("C", "1"), ("DS", "1")])


class MissingMainProgram(harness.WineTestCase):
    """The copy error box comes while the splash window is shown; the screen
    is this test's own, so no other test's window lies on top."""

    own_display = True

    # The box covers the middle of the splash window; this line lies below it.
    LINE_TOP = 110
    SPLASH_LIST = f"""[BootSetup]
DialogTitle=E2E Splash
VBCompatible=0
DialogMessage1=E2E line;-1;{LINE_TOP}
"""

    def test_box_over_centred_splash_window_then_orderly_end(self):
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"), self.SPLASH_LIST)
        run = self.start_setup(["/X"])
        box = harness.wait_box(self.prefix, "Setup Error", 60)
        self.assertEqual(box.text, "Unable to locate source file: D:\\SETUP1.EX_")
        self.assertEqual(box.buttons, [(harness.IDOK, "OK")])
        self.assertEqual(box.window.owner, 0)
        splash = harness.wait_window(self.prefix, "SetupWClass", "E2E Splash", 5)
        metrics = harness.screen_metrics(self.prefix)
        self.check_splash_geometry(splash, int(metrics["width"]), int(metrics["height"]))
        self.check_screenshot(splash, box.window, metrics["btnface"])
        harness.answer_box(self.prefix, "Setup Error", harness.IDOK)
        self.assertEqual(run.wait(60), 0)
        self.assertEqual(run.traced_boxes(), ["Unable to locate source file: D:\\SETUP1.EX_"])
        section = harness.last_log_section(self.prefix)
        self.assertEqual(section.keys(), ["A", "V", "1", "2", "3", PROGRAM, "DS"])
        self.assertEqual(section.get(PROGRAM), "400")
        self.assertFalse(os.path.exists(self.prefix.unix_path(PROGRAM)))

    def check_splash_geometry(self, splash, width, height):
        left, top = width // 2 - 300 // 2, height // 2 - 150 // 2
        self.assertEqual(splash.outer, (left, top, left + 300, top + 150))
        # Shown pop-up with caption and modal frame; no system menu, caption buttons or sizing border.
        self.assertEqual(splash.style & 0x90C000FF, 0x90C00080)
        self.assertEqual(splash.style & 0x400F0000, 0)
        self.assertEqual(splash.exstyle & 0x1, 0x1)
        self.assertEqual(splash.owner, 0)

    def check_screenshot(self, splash, box, face):
        background = tuple(int(face[i:i + 2], 16) for i in (0, 2, 4))
        left, top, right, bottom = splash.client
        path = os.path.join(self.prefix.work_dir, "splash.png")

        def painted():
            # X may show the window a moment before its first paint arrives.
            image = harness.screenshot(self.prefix.display, path)
            return image if image.bounds_unlike(background, left, top + self.LINE_TOP, right, bottom) else None
        image = harness.poll(painted, 10, interval=0.2, what="the splash line on screen")
        print(f"screenshot: {image.path}")
        strip_top = max(top, box.outer[3])
        self.assertLess(strip_top, top + self.LINE_TOP, f"box {box.outer} covers the line")
        # Above the line, below the box: nothing but the window background.
        self.assertEqual(image.colors(left, strip_top, right, top + self.LINE_TOP), {background})
        # The line is laid out from the outer width (300), not the client width:
        # its centre lies 150 pixels right of the client area's left edge.
        text = image.bounds_unlike(background, left, top + self.LINE_TOP, right, bottom)
        self.assertAlmostEqual((text[0] + text[2]) / 2, left + 150, delta=3)
        self.assertLessEqual(text[1] - (top + self.LINE_TOP), 4)
        # The client area ends where Wine says; no frame is drawn without a window manager.
        row = strip_top + 1
        for outside, inside in (((left - 1, row), (left, row)), ((right, row), (right - 1, row)),
                                ((left + 2, bottom), (left + 2, bottom - 1))):
            self.assertNotEqual(image.pixel(*outside), background, outside)
            self.assertEqual(image.pixel(*inside), background, inside)

if __name__ == "__main__":
    harness.run_tests()
