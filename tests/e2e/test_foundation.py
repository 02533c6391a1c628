"""SETUP.EXE under Wine: it starts, ends with 0 and opens its log section."""

import calendar
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

# Ends the run without a box: nothing to copy (empty source name) and no
# program to start (empty file name). VBCompatible=0 keeps this file from
# being read as a list of files.
QUIET_LIST = """[BootSetup]
DialogTitle=E2E Title
VBCompatible=0
SetupDistName=
SetupFileName=
"""


def section_time(name):
    """Seconds since the epoch of a section named YYYY/MM/DD HH:MM:SS (UTC)."""
    return calendar.timegm(time.strptime(name, "%Y/%m/%d %H:%M:%S"))


class Foundation(harness.WineTestCase):

    def run_setup(self, list_text):
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"), list_text)
        run = self.start_setup()
        self.assertEqual(run.wait(60), 0)
        self.assertEqual(run.traced_boxes(), [])
        return run

    def test_log_holds_title_and_windows_version(self):
        before = int(time.time())
        self.run_setup(QUIET_LIST)
        after = time.time()
        sections = harness.log_sections(self.prefix)
        self.assertEqual(len(sections), 1)
        section = sections[0]
        self.assertRegex(section.name, r"^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d$")
        self.assertTrue(before <= section_time(section.name) <= after, section.name)
        self.assertEqual(section.entries[0], ("A", "E2E Title"))
        self.assertEqual(section.entries[1], ("V", f"6.1 95 ({harness.version_label()})"))

    def test_log_file_is_in_the_windows_directory_with_crlf(self):
        self.run_setup(QUIET_LIST)
        with open(os.path.join(self.prefix.windows_dir(), "ZOVURERU.INI"), "rb") as handle:
            data = handle.read()
        self.assertTrue(data.startswith(b"[") and b"\r\nA=E2E Title\r\n" in data, data[:200])
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""))

    def test_second_run_adds_a_second_section(self):
        self.run_setup(QUIET_LIST)
        first = harness.log_sections(self.prefix)
        # Sections are named to the second: start the second run in a later one.
        harness.poll(lambda: int(time.time()) > section_time(first[0].name), 5, what="the next second")
        self.run_setup(QUIET_LIST.replace("E2E Title", "E2E Second"))
        sections = harness.log_sections(self.prefix)
        self.assertEqual(len(sections), 2)
        self.assertEqual((sections[0].name, sections[0].entries), (first[0].name, first[0].entries))
        self.assertLess(section_time(sections[0].name), section_time(sections[1].name))
        self.assertEqual(sections[1].get("A"), "E2E Second")

    def test_setup_log_off_writes_no_log(self):
        self.run_setup(QUIET_LIST + "SetupLog=0\n")
        self.assertFalse(os.path.exists(os.path.join(self.prefix.windows_dir(), "ZOVURERU.INI")))


if __name__ == "__main__":
    harness.run_tests()
