"""The seam test: the operations of seam_table.txt run through the real
backend under Wine (programs/seam_driver.exe, one process for the whole
table) and through the simulated machine (seam_host_runner), each on its
own copy of the same files. Results and the files afterwards must agree,
or differ only where the table lists a known difference."""

import collections
import hashlib
import os
import re
import shutil
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

TABLE = os.path.join(harness.HERE, "seam_table.txt")
VERSION_KEY = "VS_VERSION_INFO".encode("utf-16-le")
# The version library's temporary copies: named by a number, not by us.
TEMP_NAME = re.compile(r"ver[0-9a-f]{1,4}\.tmp", re.IGNORECASE)


def expand_lengths(text):
    return re.sub(r"%(\d+)%", lambda m: "x" * int(m.group(1)), text)


def fields(line):
    """As seam_table.h splits a line: at "|", one blank beside each bar
    dropped, \\xHH a byte."""
    parts = line.split("|")
    out = []
    for i, part in enumerate(parts):
        if i > 0 and part.startswith(" "):
            part = part[1:]
        if i < len(parts) - 1 and part.endswith(" "):
            part = part[:-1]
        out.append(re.sub(r"\\x([0-9a-fA-F]{2})", lambda m: chr(int(m.group(1), 16)), part))
    return out


def table_lines(text):
    return [fields(line) for line in text.splitlines() if line.strip() and not line.startswith("#")]


def version_block(image):
    return image.index(VERSION_KEY) - 6


def with_field(data, where, value):
    """A copy of data with one field of its version block or compressed
    header changed."""
    if where == "szddlen":
        at, form = 10, "<I"
    else:
        block = version_block(data)
        at, form = {"blocklen": (block, "<H"), "valuelen": (block + 2, "<H"),
                    "signature": (block + 40, "<I")}[where]
    return data[:at] + struct.pack(form, value) + data[at + struct.calcsize(form):]


def with_version(image, text):
    numbers = [int(n) for n in text.split(".")]
    at = version_block(image) + 48
    return image[:at] + struct.pack("<II", (numbers[0] << 16) | numbers[1],
                                    (numbers[2] << 16) | numbers[3]) + image[at + 8:]


class Tree:
    """The D: drive's files, made from the table's file lines."""

    def __init__(self, root, work):
        self.root = root
        self.work = work
        self.in_use = []
        with open(harness.setup_exe(), "rb") as handle:
            self.image = handle.read()

    def path(self, windows_path):
        assert windows_path[:3].upper() == "D:\\", windows_path
        return os.path.join(self.root, *windows_path[3:].split("\\"))

    def read(self, windows_path):
        with open(self.path(windows_path), "rb") as handle:
            return handle.read()

    def make(self, windows_path, kind, *args):
        path = self.path(windows_path)
        if kind == "dir":
            os.makedirs(path, exist_ok=True)
            return
        if kind == "readonly":
            os.chmod(path, 0o444)
            return
        if kind == "inuse":
            self.in_use.append(windows_path)
            return
        data = {
            "text": lambda: args[0].encode("latin-1"),
            "pe": lambda: with_version(self.image, args[0]),
            "lz": lambda: self.compressed(args[0]),
            "cut": lambda: self.cut(self.read(args[0]), args[1]),
            "field": lambda: with_field(self.read(args[0]), args[1], int(args[2])),
        }[kind]()
        with open(path, "wb") as handle:
            handle.write(data)

    def compressed(self, source):
        packed = harness.compress(self.path(source), self.work, os.path.basename(self.path(source)))
        with open(packed, "rb") as handle:
            data = handle.read()
        os.remove(packed)
        return data

    @staticmethod
    def cut(data, where):
        if where.endswith("%"):
            return data[:len(data) * int(where[:-1]) // 100]
        if where.startswith("version+"):
            return data[:version_block(data) + int(where[len("version+"):])]
        return data[:int(where)]


def snapshot(root):
    """Every directory and file below root: Windows path -> size and hash;
    the version library's temporary names counted, not named."""
    found = collections.Counter()
    for directory, dirs, files in os.walk(root):
        relative = os.path.relpath(directory, root)
        prefix = "D:\\" + ("" if relative == "." else relative.replace("/", "\\") + "\\")
        for name in dirs:
            found[(prefix + name, "dir")] += 1
        for name in files:
            with open(os.path.join(directory, name), "rb") as handle:
                data = handle.read()
            shown = TEMP_NAME.sub("ver*.tmp", name)
            found[(prefix + shown, "%d bytes %s" % (len(data), hashlib.sha1(data).hexdigest()[:12]))] += 1
    return found


class SeamAgainstWine(harness.WineTestCase):
    def test_the_simulated_machine_agrees_with_the_platform(self):
        with open(TABLE, encoding="latin-1") as handle:
            text = expand_lengths(handle.read())
        lines = table_lines(text)
        table = os.path.join(self.prefix.work_dir, "seam_table.txt")
        with open(table, "w", encoding="latin-1") as handle:
            handle.write(text)

        work = os.path.join(self.prefix.work_dir, "made")
        os.makedirs(work)
        host_root = os.path.join(self.prefix.work_dir, "host")
        tree = Tree(os.path.join(host_root, "d"), work)
        os.makedirs(tree.root)
        for line in lines:
            if line[0] == "file":
                tree.make(*line[1:])
        with open(os.path.join(host_root, "machine.ini"), "w") as handle:
            handle.write("[Libraries]\nPresent=VERSION.DLL\n[Files]\nInUse=%s\n" % ";".join(tree.in_use))
        os.rmdir(self.media)
        shutil.copytree(tree.root, self.media)
        self.prefix.map_drive_d(self.media)

        code, out, err = harness.wine(self.prefix, [harness.program("seam_driver"),
                                                    "Z:" + table.replace("/", "\\")], timeout=120)
        self.assertEqual(code, 0, err)
        host = harness.run_quiet([os.path.join(harness.HOST_BIN, "seam_host_runner"), host_root, table])
        self.assertEqual(host[0], 0, host[2])

        for name, text in (("wine.out", out), ("host.out", host[1])):
            with open(os.path.join(self.prefix.work_dir, name), "w", encoding="latin-1") as handle:
                handle.write(text)
        differ, seen = compare(lines, out, host[1], snapshot(self.media), snapshot(tree.root))
        for line in seen:
            print("known difference:", line)
        # An entry that no longer shows (mended on main) can go from the table.
        unseen = {label for line in lines if line[0] == "known" for label in line[1].split()}
        unseen -= {line.split(":")[0] for line in seen} | {"temp-name"}
        print("known differences not seen:", " ".join(sorted(unseen)) or "none")
        if differ:
            self.fail("the simulated machine parts from the platform:\n" + "\n".join(differ))


def touched(row):
    """What a row may change: an install its destination directory, any
    other row the paths it names and their compressed twins."""
    if row[1] == "install":
        return [row[5].upper() + "\\"]
    return [arg.upper()[:-1] for arg in row[2:] if ":\\" in arg]


def compare(lines, wine_out, host_out, wine_files, host_files):
    """(differences, known differences seen) of the two runs."""
    rows = {line[0]: line for line in lines if line[0] not in ("file", "known")}
    known = {label: line[2] for line in lines if line[0] == "known" for label in line[1].split()}
    if "temp-name" in known:
        wine_out = wine_out.replace("temp \\ver", "temp ver")
    wine_lines = TEMP_NAME.sub("ver*.tmp", wine_out).splitlines()
    host_lines = TEMP_NAME.sub("ver*.tmp", host_out).splitlines()
    assert len(rows) == len(wine_lines) == len(host_lines), (wine_out, host_out)
    differ, seen = [], []
    for label, wine_line, host_line in zip(rows, wine_lines, host_lines):
        if wine_line != host_line:
            (seen if label in known else differ).append(f"{label}: Wine {wine_line!r}, host {host_line!r}")
    excused = tuple(path for label in known if label in rows for path in touched(rows[label]))
    for entry in sorted((wine_files - host_files) + (host_files - wine_files)):
        where = "Wine only" if wine_files[entry] > host_files[entry] else "host only"
        (seen if entry[0].upper().startswith(excused) else differ).append(f"{entry[0]} ({entry[1]}): {where}")
    return differ, seen


if __name__ == "__main__":
    harness.run_tests()
