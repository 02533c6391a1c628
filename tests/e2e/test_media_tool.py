"""Media made by setup-media from a manifest, on two disks with a split file:
built with floppy images (and once as a CD image), linted clean, simulated
to the end, the images read back with mtools and xorriso, then the media
taken out of the floppy images run under Wine with drive D: re-pointed to
the second disk while the disk request is open. Two builds give the same
bytes."""

import hashlib
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

TOOL = os.path.join(harness.HOST_BIN, "setup-media")
TITLE = "E2E Disks"
DATE = "1000000000"  # 2001-09-09 01:46:40 UTC
TOOLS_ENV = dict(os.environ, MTOOLSRC="/dev/null", MTOOLS_SKIP_CHECK="1", TZ="UTC0")


def tree_hashes(folder):
    """SHA-256 of every file below `folder`, by relative path."""
    hashes = {}
    for top, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(top, name)
            with open(path, "rb") as handle:
                hashes[os.path.relpath(path, folder)] = hashlib.sha256(handle.read()).hexdigest()
    return hashes


def joliet(iso):
    """Whether the ISO image has a Joliet descriptor (type 2, escape %/@, %/C or %/E)."""
    with open(iso, "rb") as handle:
        for sector in range(16, 32):
            handle.seek(sector * 2048)
            descriptor = handle.read(2048)
            if descriptor[0] == 255:
                return False
            if descriptor[0] == 2 and descriptor[88:91] in (b"%/@", b"%/C", b"%/E"):
                return True
    return False


class MediaTool(harness.WineTestCase):
    def run_tool(self, *args, env=None):
        code, out, err = harness.run_quiet([TOOL, *args], timeout=120, env=env)
        self.assertEqual(code, 0, f"{args[0]}: {out}{err}")
        return out

    def tool(self, *argv):
        code, out, err = harness.run_quiet(list(argv), env=TOOLS_ENV, timeout=120)
        self.assertEqual(code, 0, f"{argv}: {out}{err}")
        return out

    def assert_same_files(self, folder, taken_out):
        self.assertEqual(tree_hashes(taken_out), tree_hashes(folder))

    def take_out_floppy(self, image, label, folder):
        """The floppy image's files, as mdir lists and mcopy copies them."""
        self.tool("fsck.fat", "-n", image)
        listing = self.tool("mdir", "-i", image, "::")
        self.assertIn(f"Volume in drive : is {label}", listing)
        self.assertIn("2001-09-09", listing)
        names = self.tool("mdir", "-b", "-i", image, "::").split()
        os.makedirs(folder)
        self.tool("mcopy", "-m", "-i", image, *[f"::{name.removeprefix('::/')}" for name in names], folder)
        return folder

    def test_the_cd_image_holds_the_one_disk(self):
        source = self.sources()
        media = os.path.join(self.prefix.work_dir, "cd")
        out = self.run_tool("build", os.path.join(source, "media.ini"), "-o", media, "--disk-size", "cd", "--images")
        iso = os.path.join(media, "DISK1.ISO")
        self.assertIn(f"image {iso}", out)
        self.assertTrue(joliet(iso))
        self.assertIn("Volume Id    : E2E_DISKS\n", self.tool("xorriso", "-no_rc", "-indev", iso, "-pvd_info"))
        taken_out = os.path.join(self.prefix.work_dir, "from-iso")
        self.tool("xorriso", "-no_rc", "-osirrox", "on", "-indev", iso, "-extract", "/", taken_out)
        self.assert_same_files(os.path.join(media, "DISK1"), taken_out)

    def sources(self):
        source = os.path.join(self.prefix.work_dir, "source")
        if os.path.isdir(source):
            return source
        os.makedirs(source)
        shutil.copyfile(harness.program("fake_setup"), os.path.join(source, "MAIN.EXE"))
        # The product itself is a file large enough to be split over the disks.
        shutil.copyfile(harness.setup_exe(), os.path.join(source, "BIG.DLL"))
        with open(os.path.join(source, "media.ini"), "w") as handle:
            handle.write(f"[Media]\nTitle={TITLE}\nSetupExe={harness.setup_exe()}\n"
                         "[Main]\nFile=MAIN.EXE\n[Files]\nFile1=BIG.DLL;windows\n")
        return source

    def test_two_disks_built_linted_simulated_and_installed(self):
        work = self.prefix.work_dir
        source = self.sources()
        # One disk first, to learn the sizes; then disks that end halfway
        # into BIG.DL_, counted in the floppy's clusters of 512 bytes.
        whole = os.path.join(work, "whole")
        self.run_tool("build", os.path.join(source, "media.ini"), "-o", whole)
        sizes = {name: os.path.getsize(os.path.join(whole, "DISK1", name)) for name in os.listdir(os.path.join(whole, "DISK1"))}
        clusters = sum((size + 511) // 512 for size in sizes.values()) - sizes["BIG.DL_"] // 1024
        dated = dict(os.environ, SOURCE_DATE_EPOCH=DATE)
        builds = []
        for name in ("built", "again"):
            builds.append(os.path.join(work, name))
            self.run_tool("build", os.path.join(source, "media.ini"), "-o", builds[-1], "--disk-size",
                          str(clusters * 512), "--images", env=dated)
        self.assertEqual(tree_hashes(builds[0]), tree_hashes(builds[1]))
        media = builds[0]
        self.run_tool("lint", media)
        out = self.run_tool("simulate", media)
        self.assertIn("disk 2 in D:", out)
        self.assertEqual(sorted(os.listdir(os.path.join(media, "DISK2"))), ["BIG.DL2"])

        disks = []
        for n in (1, 2):
            disks.append(self.take_out_floppy(os.path.join(media, f"DISK{n}.IMG"), f"E2E DISKS{n}",
                                              os.path.join(work, f"from-image{n}")))
            self.assert_same_files(os.path.join(media, f"DISK{n}"), disks[-1])

        self.prefix.map_drive_d(disks[0])
        run = harness.start_setup(self.prefix, env={"SETUP_E2E_RUN_MS": "500"})
        box = harness.wait_box(self.prefix, TITLE, 60)
        self.assertEqual(box.text, "Please insert Disk 2")
        self.prefix.map_drive_d(disks[1])
        harness.answer_box(self.prefix, TITLE, harness.IDOK)
        self.assertEqual(run.wait(90), 0)
        with open(harness.setup_exe(), "rb") as handle, open(self.prefix.unix_path("C:\\windows\\BIG.DLL"), "rb") as got:
            self.assertEqual(got.read(), handle.read())
        entries = {key.upper(): value for key, value in harness.last_log_section(self.prefix).entries}
        self.assertEqual(entries.get("C:\\WINDOWS\\BIG.DLL"), "100")
        self.assertEqual(entries.get("CMD"), "C:\\WINDOWS\\MAIN.EXE D:\\")


if __name__ == "__main__":
    harness.run_tests()
