"""Media made by setup-media from a manifest, on two disks with a split file
and a DLL to register on the second: built with floppy images (and once as
a CD image), linted clean, simulated to the end, the images read back with
mtools and xorriso, then the media taken out of the floppy images run under
Wine with drive D: re-pointed to the second disk while the disk request is
open; the toolkit on the first disk registers the DLL. Two builds give the
same bytes. Signed media: a throw-away certificate authority, every program
verified against it after expansion, the signed SETUP.EXE run under Wine."""

import glob
import hashlib
import os
import shutil
import subprocess
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


def sha256(path):
    with open(path, "rb") as handle:
        return hashlib.sha256(handle.read()).hexdigest()


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
        registration = os.path.join(os.path.dirname(harness.program("reg_program")), "registration")
        for name in ("REGHELP.DLL", "REGSRV.DLL"):
            shutil.copyfile(os.path.join(registration, name), os.path.join(source, name))
        with open(os.path.join(source, "media.ini"), "w") as handle:
            handle.write(f"[Media]\nTitle={TITLE}\nSetupExe={harness.setup_exe()}\n"
                         "[Main]\nFile=MAIN.EXE\n[Files]\nFile1=BIG.DLL;windows\n"
                         "File2=REGHELP.DLL;windows\nFile3=REGSRV.DLL;windows;dll\n")
        return source

    def test_two_disks_built_linted_simulated_and_installed(self):
        work = self.prefix.work_dir
        source = self.sources()
        # One disk first, to learn the sizes; then disks that end halfway
        # into BIG.DL_, counted in the floppy's clusters of 512 bytes; the
        # DLLs to register follow on disk 2.
        whole = os.path.join(work, "whole")
        self.run_tool("build", os.path.join(source, "media.ini"), "-o", whole)
        sizes = {name: os.path.getsize(os.path.join(whole, "DISK1", name)) for name in os.listdir(os.path.join(whole, "DISK1"))}
        clusters = (sum((size + 511) // 512 for name, size in sizes.items() if not name.startswith("REG"))
                    - sizes["BIG.DL_"] // 1024)
        dated = dict(os.environ, SOURCE_DATE_EPOCH=DATE)
        builds = []
        for name in ("built", "again"):
            builds.append(os.path.join(work, name))
            self.run_tool("build", os.path.join(source, "media.ini"), "-o", builds[-1], "--disk-size",
                          str(clusters * 512), "--images", env=dated)
        self.assertEqual(tree_hashes(builds[0]), tree_hashes(builds[1]))
        media = builds[0]
        self.run_tool("lint", media)
        # The split program is expanded from both disks joined, and is unsigned.
        code, out, _ = harness.run_quiet([TOOL, "lint", media, "--require-signed"], timeout=60)
        self.assertIn("DISK1/BIG.DL1: error: a program or library without an Authenticode signature", out)
        out = self.run_tool("simulate", media)
        self.assertIn("disk 2 in D:", out)
        self.assertEqual(sorted(os.listdir(os.path.join(media, "DISK2"))), ["BIG.DL2", "REGHELP.DL_", "REGSRV.DL_"])

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
        self.assertEqual(entries.get("C:\\WINDOWS\\REGSRV.DLL(DLLREG)"), "0")
        code, out, err = harness.wine(self.prefix, ["reg", "query", "HKCU\\Software\\ZavezTest", "/v", "Dll"])
        self.assertEqual(code, 0, err)
        self.assertIn("0x2a", out)

    def make_authority(self, folder):
        """A CA and a code-signing key under the pass-phrase, signed by it."""
        os.makedirs(folder)
        path = lambda name: os.path.join(folder, name)  # noqa: E731
        with open(path("code.cnf"), "w") as handle:
            handle.write("basicConstraints=CA:false\nkeyUsage=digitalSignature\nextendedKeyUsage=codeSigning\n")
        for argv in (
            ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", path("ca.key"), "-out", path("ca.pem"),
             "-days", "2", "-subj", "/CN=E2E Test Authority", "-addext", "basicConstraints=critical,CA:true",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
            ["req", "-newkey", "rsa:2048", "-keyout", path("sign.key"), "-passout", "env:E2E_SIGN_PASS",
             "-out", path("sign.csr"), "-subj", "/CN=E2E Media Author"],
            ["x509", "-req", "-in", path("sign.csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
             "-CAcreateserial", "-days", "2", "-extfile", path("code.cnf"), "-out", path("sign.pem")],
        ):
            subprocess.run(["openssl", *argv], check=True, capture_output=True, timeout=60,
                           env={**os.environ, "E2E_SIGN_PASS": "e2e secret"})
        return path

    def test_signed_media_verify_lint_and_run(self):
        work = self.prefix.work_dir
        source = os.path.join(work, "source")
        os.makedirs(source)
        shutil.copyfile(harness.program("fake_setup"), os.path.join(source, "MAIN.EXE"))
        with open(os.path.join(source, "NOTES.TXT"), "w") as handle:
            handle.write("not a program: left unsigned\n")
        original = sha256(os.path.join(source, "MAIN.EXE"))
        manifest = os.path.join(source, "media.ini")
        with open(manifest, "w") as handle:
            handle.write(f"[Media]\nTitle={TITLE}\nSetupExe={harness.setup_exe()}\n"
                         "[Main]\nFile=MAIN.EXE\n[Files]\nFile1=NOTES.TXT;windows\n")
        key = self.make_authority(os.path.join(work, "ca"))
        plain = os.path.join(work, "plain")
        self.run_tool("build", manifest, "-o", plain)
        code, out, _ = harness.run_quiet([TOOL, "lint", plain, "--require-signed"], timeout=60)
        self.assertEqual(code, 1, out)
        self.assertEqual(sorted(line.split(":")[0] for line in out.splitlines()),
                         ["DISK1/MAIN.EX_", "DISK1/SETUP.EXE", "DISK1/ZAVEZ432.DLL"])

        signing = ["--sign-key", key("sign.key"), "--sign-cert", key("sign.pem"), "--sign-pass-env", "E2E_SIGN_PASS"]
        env = {**os.environ, "E2E_SIGN_PASS": "e2e secret", "SOURCE_DATE_EPOCH": "1765000000"}
        media = [os.path.join(work, name) for name in ("signed", "signed-again")]
        for folder in media:
            code, out, err = harness.run_quiet([TOOL, "build", manifest, "-o", folder, *signing], env=env, timeout=120)
            self.assertEqual(code, 0, out + err)
        self.run_tool("lint", media[0], "--require-signed")
        digests = [{os.path.relpath(f, folder): sha256(f) for f in glob.glob(os.path.join(folder, "DISK1", "*"))}
                   for folder in media]
        self.assertEqual(digests[0], digests[1], "signatures without a time stamp are deterministic")
        self.assertEqual(sha256(os.path.join(source, "MAIN.EXE")), original, "the author's file is left as it was")

        expanded = os.path.join(work, "expanded")
        code, out, err = harness.run_quiet([os.path.join(harness.HOST_BIN, "setup-compress"), "-d", "-o", expanded,
                                            *glob.glob(os.path.join(media[0], "DISK1", "*_"))], timeout=60)
        self.assertEqual(code, 0, out + err)
        programs = [os.path.join(media[0], "DISK1", name) for name in ("SETUP.EXE", "ZAVEZ432.DLL")]
        programs.append(os.path.join(expanded, "MAIN.EXE"))
        for program in programs:
            code, out, err = harness.run_quiet(["osslsigncode", "verify", "-CAfile", key("ca.pem"), "-in", program],
                                               timeout=60)
            self.assertEqual(code, 0, f"{program}: {out}{err}")

        self.prefix.map_drive_d(os.path.join(media[0], "DISK1"))
        run = harness.start_setup(self.prefix, env={"SETUP_E2E_RUN_MS": "200"})
        self.assertEqual(run.wait(90), 0)
        entries = {key.upper(): value for key, value in harness.last_log_section(self.prefix).entries}
        self.assertEqual(entries.get("CMD"), "C:\\WINDOWS\\MAIN.EXE D:\\")


if __name__ == "__main__":
    harness.run_tests()
