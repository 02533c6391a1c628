"""Bad media do no harm: a library planted beside SETUP.EXE under the name of
the platform's LZ expansion library is never loaded (the real one comes from
the system directory by its full path), and a compressed file that ends early
is reported, not put in place."""

import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

MARK = "C:\\planted-loaded.txt"
RECORD = "C:\\setup-record.txt"
# Native first, so that a load by bare name would take the planted file.
OVERRIDES = {"WINEDLLOVERRIDES": "lz32=n,b"}


class PlantedLibrary(harness.WineTestCase):
    def plant(self):
        planted = os.path.join(os.path.dirname(harness.program("fake_setup")), "planted", "LZ32.DLL")
        shutil.copyfile(planted, os.path.join(self.media, "LZ32.DLL"))

    def test_search_order_would_load_the_planted_library(self):
        # The check below means something only if a load by name picks it.
        self.plant()
        shutil.copyfile(harness.program("load_probe"), os.path.join(self.media, "PROBE.EXE"))
        code, _, _ = harness.wine(self.prefix, ["D:\\PROBE.EXE", "LZ32.DLL"], timeout=60, env=OVERRIDES)
        self.assertEqual(code, 0)
        self.assertTrue(os.path.exists(self.prefix.unix_path(MARK)))

    def test_expansion_uses_the_system_library(self):
        self.plant()
        harness.compress(harness.program("fake_setup"), self.media, "SETUP1.EXE")
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"),
                           "[BootSetup]\nVBCompatible=0\nDeleteSetup=0\n")
        env = dict(OVERRIDES, SETUP_E2E_RECORD=RECORD, SETUP_E2E_RELEASE="C:\\never")
        run = self.start_setup([], env=env)
        self.assertEqual(run.wait(60), 0)
        harness.poll(lambda: os.path.exists(self.prefix.unix_path(RECORD)), 30,
                     what="the main setup program to start")
        self.assertFalse(os.path.exists(self.prefix.unix_path(MARK)), "the planted library ran")
        entries = dict(harness.last_log_section(self.prefix).entries)
        self.assertEqual(entries.get("C:\\WINDOWS\\SETUP1.EXE"), "101")


class CorruptMedia(harness.WineTestCase):
    PROGRAM = "C:\\WINDOWS\\SETUP1.EXE"

    def test_truncated_main_setup_program_keeps_the_installed_copy(self):
        compressed = os.path.join(self.media, "SETUP1.EX_")
        harness.compress(harness.program("fake_setup"), self.media, "SETUP1.EXE")
        with open(compressed, "r+b") as handle:
            handle.truncate(os.path.getsize(compressed) // 2)
        installed = self.prefix.unix_path(self.PROGRAM)
        with open(installed, "wb") as handle:
            handle.write(b"MZ the copy that was already here")
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"), "[BootSetup]\nVBCompatible=0\nDeleteSetup=0\n")
        run = self.start_setup([])
        box = harness.wait_box(self.prefix, "Setup Error", 60)
        self.assertEqual(box.text, "General copy error: D:\\SETUP1.EX_")
        harness.answer_box(self.prefix, "Setup Error", harness.IDOK)
        self.assertEqual(run.wait(60), 0)
        with open(installed, "rb") as handle:
            self.assertEqual(handle.read(), b"MZ the copy that was already here")
        self.assertFalse(os.path.exists(installed + "~"))
        entries = harness.last_log_section(self.prefix).entries
        self.assertIn((self.PROGRAM, "400"), entries)
        self.assertNotIn("Cmd", [key for key, _ in entries])


if __name__ == "__main__":
    harness.run_tests()
