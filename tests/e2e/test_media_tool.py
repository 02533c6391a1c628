"""Media made by setup-media from a manifest, on two disks with a split file
and a DLL to register on the second: built, linted clean, simulated to the
end, then run under Wine with drive D: re-pointed to the second disk while
the disk request is open; the toolkit on the first disk registers the DLL."""

import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

TOOL = os.path.join(harness.HOST_BIN, "setup-media")
TITLE = "E2E Disks"


class MediaTool(harness.WineTestCase):
    def run_tool(self, *args):
        code, out, err = harness.run_quiet([TOOL, *args], timeout=120)
        self.assertEqual(code, 0, f"{args[0]}: {out}{err}")
        return out

    def test_two_disks_built_linted_simulated_and_installed(self):
        work = self.prefix.work_dir
        source = os.path.join(work, "source")
        os.makedirs(source)
        shutil.copyfile(harness.program("fake_setup"), os.path.join(source, "MAIN.EXE"))
        # The product itself is a file large enough to be split over the disks.
        shutil.copyfile(harness.setup_exe(), os.path.join(source, "BIG.DLL"))
        registration = os.path.join(os.path.dirname(harness.program("reg_program")), "registration")
        for name in ("REGHELP.DLL", "REGSRV.DLL"):
            shutil.copyfile(os.path.join(registration, name), os.path.join(source, name))
        with open(os.path.join(source, "media.ini"), "w") as handle:
            handle.write(f"[Media]\nTitle={TITLE}\nSetupExe={harness.setup_exe()}\n"
                         "[Main]\nFile=MAIN.EXE\n[Files]\nFile1=BIG.DLL;windows\n"
                         "File2=REGHELP.DLL;windows\nFile3=REGSRV.DLL;windows;dll\n")
        # One disk first, to learn the sizes; then disks that end halfway into BIG.DL_.
        whole = os.path.join(work, "whole")
        self.run_tool("build", os.path.join(source, "media.ini"), "-o", whole)
        sizes = {name: os.path.getsize(os.path.join(whole, "DISK1", name)) for name in os.listdir(os.path.join(whole, "DISK1"))}
        late = sizes["REGHELP.DL_"] + sizes["REGSRV.DL_"]
        disk_size = str(sum(sizes.values()) - late - sizes["BIG.DL_"] // 2)
        media = os.path.join(work, "built")
        self.run_tool("build", os.path.join(source, "media.ini"), "-o", media, "--disk-size", disk_size)
        self.run_tool("lint", media)
        out = self.run_tool("simulate", media)
        self.assertIn("disk 2 in D:", out)
        self.assertEqual(sorted(os.listdir(os.path.join(media, "DISK2"))), ["BIG.DL2", "REGHELP.DL_", "REGSRV.DL_"])

        self.prefix.map_drive_d(os.path.join(media, "DISK1"))
        run = harness.start_setup(self.prefix, env={"SETUP_E2E_RUN_MS": "500"})
        box = harness.wait_box(self.prefix, TITLE, 60)
        self.assertEqual(box.text, "Please insert Disk 2")
        self.prefix.map_drive_d(os.path.join(media, "DISK2"))
        harness.answer_box(self.prefix, TITLE, harness.IDOK)
        self.assertEqual(run.wait(90), 0)
        with open(harness.setup_exe(), "rb") as handle, open(self.prefix.unix_path("C:\\windows\\BIG.DLL"), "rb") as got:
            self.assertEqual(got.read(), handle.read())
        entries = {key.upper(): value for key, value in harness.last_log_section(self.prefix).entries}
        self.assertEqual(entries.get("C:\\WINDOWS\\BIG.DLL"), "100")
        self.assertEqual(entries.get("CMD"), "C:\\WINDOWS\\MAIN.EXE D:\\")
        self.assertEqual(entries.get("C:\\WINDOWS\\REGSRV.DLL(DLLREG)"), "0")
        code, out, err = harness.wine(self.prefix, ["reg", "query", "HKCU\\Software\\ZavezTest", "/v", "Dll"])
        self.assertEqual(code, 0, err)
        self.assertIn("0x2a", out)


if __name__ == "__main__":
    harness.run_tests()
