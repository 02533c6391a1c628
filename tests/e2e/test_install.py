"""Bootstrap files installed through the platform's version and LZ libraries:
a compressed source is compared by the version of its content and by the
numbers of that version, an older source leaves the installed file and no
temporary copy, a file split in two parts is joined and installed, and a
missing file can be skipped; a compressed source cut short is never
installed."""

import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

FIXED_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def with_version(image, major, minor, build, revision):
    """The image with its fixed file version set to a.b.c.d."""
    # The program's code holds the signature too: look after the resource's key.
    at = image.index(FIXED_SIGNATURE, image.index("VS_VERSION_INFO".encode("utf-16-le")))
    numbers = struct.pack("<II", (major << 16) | minor, (build << 16) | revision)
    return image[:at + 8] + numbers + image[at + 16:]


class VersionInstall(harness.WineTestCase):
    def put(self, name, data, compressed=True):
        """The file on the media, compressed as NAME.XX_ unless told not to."""
        raw = os.path.join(self.prefix.work_dir, name)
        with open(raw, "wb") as handle:
            handle.write(data)
        if compressed:
            return harness.compress(raw, self.media, name)
        os.replace(raw, os.path.join(self.media, name))
        return os.path.join(self.media, name)

    def installed(self, name):
        return self.prefix.unix_path("C:\\windows\\" + name)

    def read(self, name):
        with open(self.installed(name), "rb") as handle:
            return handle.read()

    def test_versions_by_number_compressed_sources_split_files_a_skipped_and_a_cut_file(self):
        with open(harness.setup_exe(), "rb") as handle:
            image = handle.read()
        newer = with_version(image, 10, 0, 19041, 1)
        older = with_version(image, 10, 0, 9600, 0)
        # A source cut to 60 % is reported, and the installed copy stays.
        installed = with_version(image, 1, 0, 0, 0)
        with open(self.installed("TRUNC.DLL"), "wb") as handle:
            handle.write(installed)
        packed = self.put("TRUNC.DLL", with_version(image, 2, 0, 0, 0))
        with open(packed, "r+b") as handle:
            handle.truncate(os.path.getsize(packed) * 6 // 10)
        # As padded text 10.0.9600.0 would sort above 10.0.19041.1.
        self.put("NEWER.DLL", newer)
        self.put("OLDER.DLL", older)
        for name, data in (("NEWER.DLL", older), ("OLDER.DLL", newer)):
            with open(self.installed(name), "wb") as handle:
                handle.write(data)
        packed = self.put("BIG.DLL", image)
        with open(packed, "rb") as handle:
            whole = handle.read()
        os.remove(packed)
        self.put("BIG.DL1", whole[:len(whole) // 2], compressed=False)
        self.put("BIG.DL2", whole[len(whole) // 2:], compressed=False)
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"),
                           "[BootSetup]\nVBCompatible=0\nSetupFileName=\n"
                           "File1=GONE.DLL;;1;;1;GONE.DL_\n"
                           "File2=NEWER.DLL;;1;;1;NEWER.DL_\n"
                           "File3=OLDER.DLL;;1;;1;OLDER.DL_\n"
                           "File4=BIG.DLL;;1;;1;BIG.DL1;;BIG.DL2;1\n"
                           "File5=TRUNC.DLL;;1;;1;TRUNC.DL_\n")

        run = self.start_setup([])
        box = harness.wait_box(self.prefix, "Setup Error", 60)
        self.assertEqual(box.text, "Unable to locate source file: D:\\GONE.DL_")
        harness.answer_box(self.prefix, "Setup Error", harness.IDIGNORE)
        box = harness.answer_box(self.prefix, "Setup Error", harness.IDOK, 60)
        self.assertEqual(box.text, "General copy error: D:\\TRUNC.DL_")
        self.assertEqual(run.wait(90), 0)

        self.assertEqual(self.read("NEWER.DLL"), newer)
        self.assertEqual(self.read("OLDER.DLL"), newer)
        self.assertEqual(self.read("BIG.DLL"), image)
        self.assertEqual(self.read("TRUNC.DLL"), installed)
        leftovers = [name for name in os.listdir(self.prefix.windows_dir())
                     if name.lower().startswith(("ver", "setup000")) and name.lower().endswith((".tmp", ".001"))]
        self.assertEqual(leftovers, [])
        entries = {key.upper(): value for key, value in harness.last_log_section(self.prefix).entries}
        self.assertEqual(entries.get("D:\\GONE.DL_"), "402")
        self.assertEqual(entries.get("C:\\WINDOWS\\NEWER.DLL"), "100")
        self.assertEqual(entries.get("C:\\WINDOWS\\OLDER.DLL"), "200")
        self.assertEqual(entries.get("C:\\WINDOWS\\BIG.DLL"), "100")
        self.assertEqual(entries.get("C:\\WINDOWS\\TRUNC.DLL"), "400")


if __name__ == "__main__":
    harness.run_tests()
