#!/usr/bin/env python3
"""The platform's LZ expansion library (Wine's LZ32) reads what setup-compress
writes: the same bytes come out and the original names come back.

Environment:
  SETUP_HOST_BIN       directory holding setup-compress (host build)
  SETUP_WIN64_DIR      x86-64 Windows build directory holding programs/lzexpand.exe
  WINEPREFIX_TEMPLATE  optional: a ready prefix to copy instead of making one
  WINE64               optional: the wine64 loader (default /usr/lib/wine/wine64)

Run: python3 tests/e2e/test_szdd_wine.py -v
"""

import os
import random
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

COMPRESS_TIMEOUT = 60
WINE_TIMEOUT = 120
WINEBOOT_TIMEOUT = 300


def _structured_bytes(size, seed):
    """Binary-like data: random stretches mixed with repeats near and far."""
    rng = random.Random(seed)
    out = bytearray()
    while len(out) < size:
        kind = rng.randrange(4)
        if kind == 0:
            out += bytes(rng.randrange(256) for _ in range(rng.randrange(1, 64)))
        elif kind == 1 and out:
            start = rng.randrange(len(out))
            out += out[start:start + rng.randrange(3, 40)]
        elif kind == 2:
            out += bytes([rng.randrange(256)]) * rng.randrange(1, 300)
        else:
            out += b"Setup copies the files of the application. " * rng.randrange(1, 4)
    return bytes(out[:size])


# name, content, name that the platform gives the compressed file
CASES = [
    ("EMPTY.TXT", b"", "EMPTY.TXT"),
    ("ONE.BIN", b"\x7f", "ONE.BIN"),
    ("TINY.DAT", b"abcab", "TINY.DAT"),
    ("SPACES.TXT", b" " * 5000 + b"x" + b" " * 40, "SPACES.TXT"),
    ("SETUP1.EXE", _structured_bytes(300_000, 1), "SETUP1.EXE"),
    ("VER.DLL", _structured_bytes(9_000, 2) + _structured_bytes(9_000, 2), "VER.DLL"),
    ("readme.txt", b"Read me first.\r\n" * 200, "readme.txt"),
    ("Mixed.Ini", b"[Section]\r\nKey=Value\r\n", "Mixed.Ini"),
    # No dot in the media name: the platform cannot restore it.
    ("LOGO", b"BM" + bytes(range(256)) * 4, "LOG_"),
]


def _windows_path(path):
    # A new prefix maps drive Z: to the Unix root.
    return "Z:" + str(path).replace("/", "\\")


class LzExpandUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        host_bin = os.environ.get("SETUP_HOST_BIN")
        win64_dir = os.environ.get("SETUP_WIN64_DIR")
        if not host_bin or not win64_dir:
            raise unittest.SkipTest("set SETUP_HOST_BIN and SETUP_WIN64_DIR")
        cls.compressor = Path(host_bin) / "setup-compress"
        cls.lzexpand = Path(win64_dir) / "programs" / "lzexpand.exe"
        cls.wine = Path(os.environ.get("WINE64", "/usr/lib/wine/wine64"))
        for needed in (cls.compressor, cls.lzexpand, cls.wine):
            if not needed.exists():
                raise unittest.SkipTest(f"{needed} is missing")
        cls.temp = Path(tempfile.mkdtemp(prefix="szdd_wine_"))
        try:
            cls.env = cls._make_prefix(cls.temp / "prefix")
        except Exception:
            shutil.rmtree(cls.temp, ignore_errors=True)
            raise

    @classmethod
    def tearDownClass(cls):
        wineserver = cls.wine.parent / "wineserver"
        if wineserver.exists():
            subprocess.run([str(wineserver), "-k"], env=cls.env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        shutil.rmtree(cls.temp, ignore_errors=True)

    @classmethod
    def _make_prefix(cls, prefix):
        env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        template = os.environ.get("WINEPREFIX_TEMPLATE")
        if template and Path(template).is_dir():
            subprocess.run(["cp", "-a", template, str(prefix)], timeout=WINEBOOT_TIMEOUT, check=True)
        else:
            subprocess.run([str(cls.wine), "wineboot", "-i"], env=env, timeout=WINEBOOT_TIMEOUT, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return env

    def _compress(self, source, out_dir):
        result = subprocess.run([str(self.compressor), "-o", str(out_dir), str(source)],
                                capture_output=True, text=True, timeout=COMPRESS_TIMEOUT)
        self.assertEqual(result.returncode, 0, result.stderr)

    def _expand(self, source, destination):
        """Runs LZCopy and GetExpandedNameA; returns (copy result, expanded name)."""
        # Output goes to files, not pipes: Wine's helper processes outlive the
        # program and would hold a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            subprocess.run([str(self.wine), str(self.lzexpand), _windows_path(source), _windows_path(destination)],
                           env=self.env, stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=WINE_TIMEOUT,
                           check=False)
            out.seek(0)
            err.seek(0)
            stdout = out.read().decode("latin-1")
            stderr = err.read().decode("latin-1")
        fields = {}
        for line in stdout.splitlines():
            key, sep, value = line.strip("\r").partition("=")
            if sep:
                fields[key] = value
        self.assertIn("LZCopy", fields, f"no result from lzexpand: {stdout!r} {stderr!r}")
        self.assertIn("ExpandedName", fields, stdout)
        return int(fields["LZCopy"]), fields["ExpandedName"]

    def _case_dir(self, name):
        path = self.temp / "work" / name.replace(".", "_")
        (path / "media").mkdir(parents=True)
        (path / "out").mkdir()
        return path

    def test_compressed_files_expand_byte_exactly_under_their_names(self):
        for name, content, expanded_name in CASES:
            with self.subTest(file=name, size=len(content)):
                work = self._case_dir(name)
                original = work / name
                original.write_bytes(content)
                self._compress(original, work / "media")
                packed = work / "media" / (name[:-1] + "_")
                self.assertTrue(packed.exists(), f"{packed} not written")
                destination = work / "out" / name
                copied, platform_name = self._expand(packed, destination)
                self.assertEqual(copied, len(content))
                self.assertEqual(destination.read_bytes(), content)
                self.assertEqual(platform_name.rpartition("\\")[2], expanded_name)

    def test_plain_file_under_a_media_name_is_copied_verbatim(self):
        work = self._case_dir("plain")
        packed = work / "media" / "PLAIN.TX_"
        content = b"not compressed at all\r\n" * 10
        packed.write_bytes(content)
        destination = work / "out" / "PLAIN.TXT"
        copied, platform_name = self._expand(packed, destination)
        self.assertEqual(copied, len(content))
        self.assertEqual(destination.read_bytes(), content)
        self.assertEqual(platform_name.rpartition("\\")[2], "PLAIN.TX_")


if __name__ == "__main__":
    unittest.main()
