"""Media in a folder of 125 characters under Wine: the setup list there is
read, the main setup program is expanded from it and a bootstrap file whose
path passes 128 characters is installed by version, though the platform's
older file calls keep a path in 128."""

import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

RECORD = "C:\\setup-record.txt"
RELEASE = "C:\\setup-release"

LIST = """[BootSetup]
DialogTitle=E2E Deep
[Bootstrap]
File1=1,,SETUP1.EX_,SETUP1.EXE,$(WinPath),,,,,1.0.0.0
File2=1,,BOOTDATA.TX_,BOOTDATA.TXT,$(WinPath),,,,,1.0.0.0
[Setup]
Setup=SETUP1.EXE
"""


def deep_folder(length):
    """Parts below D:\\ that make a path of `length` characters with its closing backslash."""
    parts, size = [], len("D:\\")
    while size < length:
        room = length - size
        part = "SoftwareDistribution" + "X" * 19 if room > 46 else "DISK1" + "Y" * (room - 6)
        parts.append(part)
        size += len(part) + 1
    return parts


class DeepSource(harness.WineTestCase):
    def test_list_main_program_and_a_bootstrap_file_from_a_folder_of_125_characters(self):
        parts = deep_folder(125)
        source = "D:\\" + "\\".join(parts) + "\\"
        self.assertEqual(len(source), 125)
        folder = os.path.join(self.media, *parts)
        os.makedirs(folder)
        harness.compress(harness.program("fake_setup"), folder, "SETUP1.EXE")
        data = os.path.join(self.prefix.work_dir, "BOOTDATA.TXT")
        with open(data, "wb") as handle:
            handle.write(b"bootstrap data " * 200)
        packed = harness.compress(data, folder, "BOOTDATA.TXT")
        self.assertGreaterEqual(len(source + os.path.basename(packed)), 128)
        harness.write_crlf(os.path.join(folder, "SETUP.LST"), LIST)
        shutil.copyfile(harness.setup_exe(), os.path.join(folder, "SETUP.EXE"))

        env = {"SETUP_E2E_RECORD": RECORD, "SETUP_E2E_RELEASE": RELEASE}
        run = harness.start_setup(self.prefix, [], program_path=source + "SETUP.EXE", env=env)
        record_path = self.prefix.unix_path(RECORD)
        harness.poll(lambda: harness.read_record(record_path) or not run.running(), 60,
                     what="the main setup program to start")
        self.assertTrue(run.running(), f"ended before its main setup program: {run.traced_boxes()}")
        self.assertEqual(harness.read_record(record_path)["cmdline"], "C:\\WINDOWS\\SETUP1.EXE " + source)
        open(self.prefix.unix_path(RELEASE), "w").close()
        self.assertEqual(run.wait(60), 0)
        self.assertEqual(run.traced_boxes(), [])

        with open(data, "rb") as original, \
                open(self.prefix.unix_path("C:\\windows\\BOOTDATA.TXT"), "rb") as installed:
            self.assertEqual(installed.read(), original.read())
        entries = {key.upper(): value for key, value in harness.last_log_section(self.prefix).entries}
        self.assertEqual(entries.get("VB"), "4")
        self.assertEqual(entries.get("C:\\WINDOWS\\SETUP1.EXE"), "100")
        self.assertEqual(entries.get("C:\\WINDOWS\\BOOTDATA.TXT"), "100")
        # The copy handed to the version library is gone with the run.
        leftovers = [n for n in os.listdir(self.prefix.windows_dir())
                     if n.lower().startswith(("src", "ver")) and n.lower().endswith(".tmp")]
        self.assertEqual(leftovers, [])


if __name__ == "__main__":
    harness.run_tests()
