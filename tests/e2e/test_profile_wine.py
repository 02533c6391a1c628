#!/usr/bin/env python3
"""Differential test: the simulated machine's profile engine against Wine.

The same script runs through programs/profile_driver.exe (the real profile
calls, under 64-bit Wine) and through profile_host_runner (the host engine),
each on its own copy of the starting files. Reads must agree, and every
written file must mean the same to both engines. Where Wine is known to part
from Windows, the host follows Windows and the test names the difference:
it asserts the Windows result on the host and Wine's own result on Wine.

Environment:
  SETUP_WIN64_DIR      build dir holding programs/profile_driver.exe
  SETUP_HOST_BIN       dir holding profile_host_runner
  WINEPREFIX_TEMPLATE  optional prefix to copy instead of running wineboot
"""

import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

WINE = Path("/usr/lib/wine/wine64")
SERVER = WINE.parent / "wineserver"
BOOT_TIMEOUT = 300
RUN_TIMEOUT = 120
NOT_FOUND = "<none>"


# --- scripts ----------------------------------------------------------------

def escape(field: str) -> str:
    """One script field; the drivers unescape it back to these bytes."""
    out = []
    for ch in field:
        if ch == "\\":
            out.append("\\\\")
        elif " " <= ch < "\x7f":
            out.append(ch)
        else:
            out.append("\\x%02x" % ord(ch))
    return "".join(out)


def unescape(field: str) -> str:
    return re.sub(r"\\(\\|x[0-9a-f]{2})",
                  lambda m: "\\" if m.group(1) == "\\" else chr(int(m.group(1)[1:], 16)),
                  field)


def command(op: str, *fields) -> str:
    return "\t".join([op] + [escape(str(f)) for f in fields])


def F(name):
    return command("F", name)


def R(section, key, default="d", capacity=100):
    return command("R", section, key, default, capacity)


def I(section, key, default=77):
    return command("I", section, key, default)


def W(section, key, value):
    return command("W", section, key, value)


def out_line(text: str) -> str:
    """The output line of a read whose result is `text`."""
    return "S %d %s" % (len(text), escape(text))


def with_results(commands):
    """The commands that print an output line (all but F)."""
    return [c for c in commands if not c.startswith("F\t")]


# --- profile files as text ---------------------------------------------------

def names_in(data: bytes):
    """Every (section, key) that a file's key lines name, in file order."""
    names, section = [], None
    for raw in data.decode("latin-1").replace("\r\n", "\n").replace("\r", "\n").split("\n"):
        line = raw.strip(" \t\v")
        if line.startswith("["):
            section = line[1:].split("]", 1)[0].strip(" \t\v")
        elif section is not None and "=" in line and not line.startswith(";"):
            names.append((section, line.split("=", 1)[0].rstrip(" \t\v")))
    return names


def written_names(commands):
    """{file name: [(section, key) written to it]} of a script."""
    names, current = {}, "profile.ini"
    for line in commands:
        op, *fields = [unescape(f) for f in line.split("\t")]
        if op == "F":
            current = fields[0]
        elif op == "W":
            names.setdefault(current, []).append((fields[0], fields[1]))
    return names


def read_back_script(dirs, file_names, extra_names):
    """Reads every section/key found in the files of all dirs, and those
    that extra_names lists for each file."""
    lines = []
    for name in file_names:
        pairs = list(extra_names.get(name, []))
        for d in dirs:
            path = d / name
            if path.exists():
                pairs += names_in(path.read_bytes())
        lines.append(F(name))
        for section, key in dict.fromkeys(pairs):
            lines.append(R(section, key, NOT_FOUND, 65536))
    return lines


# --- running the engines -----------------------------------------------------

def windows_path(path: Path) -> str:
    return "Z:" + str(path.resolve()).replace("/", "\\")


def wine_env(prefix: Path):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    return env


def run(args, env=None, timeout=RUN_TIMEOUT) -> str:
    """Output of a program. Files, not pipes, take the output: Wine's own
    processes inherit the handles and may outlive the program."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(args, env=env, stdout=out, stderr=err,
                              timeout=timeout)
        out.seek(0)
        err.seek(0)
        if done.returncode != 0:
            raise AssertionError("%s failed (%d): %s" % (
                args[0], done.returncode, err.read().decode("latin-1")))
        return out.read().decode("latin-1")


def env_dir(name: str, relative: str) -> Path:
    value = os.environ.get(name)
    if not value:
        raise unittest.SkipTest("%s is not set" % name)
    path = Path(value) / relative
    if not path.is_file():
        raise AssertionError("%s names no %s" % (name, path))
    return path


class ProfileAgainstWine(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        if not WINE.is_file() or not SERVER.is_file():
            raise unittest.SkipTest("no %s" % WINE)
        cls.driver = env_dir("SETUP_WIN64_DIR", "programs/profile_driver.exe")
        cls.host_runner = env_dir("SETUP_HOST_BIN", "profile_host_runner")
        cls.work = Path(tempfile.mkdtemp(prefix="profile-wine-"))
        cls.prefix = cls.work / "prefix"
        try:
            cls.make_prefix()
            cls.start_server()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def make_prefix(cls):
        template = os.environ.get("WINEPREFIX_TEMPLATE")
        if template:
            run(["cp", "-a", template, str(cls.prefix)], timeout=BOOT_TIMEOUT)
        else:
            run([str(WINE), "wineboot", "-i"], env=wine_env(cls.prefix),
                timeout=BOOT_TIMEOUT)

    @classmethod
    def start_server(cls):
        """A server that stays up spares each run the server's start; the
        one left by wineboot has to end first, or -p is refused."""
        run([str(SERVER), "-w"], env=wine_env(cls.prefix))
        run([str(SERVER), "-p"], env=wine_env(cls.prefix))

    @classmethod
    def tearDownClass(cls):
        subprocess.run([str(SERVER), "-k"], env=wine_env(cls.prefix),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=RUN_TIMEOUT)
        shutil.rmtree(cls.work, ignore_errors=True)

    # -- helpers --

    def setUp(self):
        self.case = self.work / self.id().rsplit(".", 1)[-1]
        self.wine_dir = self.case / "wine"
        self.host_dir = self.case / "host"
        self.wine_dir.mkdir(parents=True)
        self.host_dir.mkdir()

    def put_files(self, files):
        for name, data in files.items():
            (self.wine_dir / name).write_bytes(data)
            (self.host_dir / name).write_bytes(data)

    def script_file(self, commands, name):
        path = self.case / name
        path.write_bytes(("\n".join(commands) + "\n").encode("latin-1"))
        return path

    def run_wine(self, directory, script):
        return run([str(WINE), str(self.driver), windows_path(directory),
                    windows_path(script)], env=wine_env(self.prefix)).splitlines()

    def run_host(self, directory, script):
        return run([str(self.host_runner), str(directory),
                    str(script)]).splitlines()

    def run_both(self, commands, name="script.txt"):
        script = self.script_file(commands, name)
        wine = self.run_wine(self.wine_dir, script)
        host = self.run_host(self.host_dir, script)
        expected = len(with_results(commands))
        self.assertEqual(expected, len(wine), "Wine output: %r" % wine)
        self.assertEqual(expected, len(host), "host output: %r" % host)
        return wine, host

    def assert_agree(self, commands, wine, host):
        mismatches = [(c, w, h) for c, w, h
                      in zip(with_results(commands), wine, host) if w != h]
        self.assertEqual([], mismatches, "(command, Wine, host)")

    def assert_files_read_alike(self, file_names, extra_names):
        """Both engines read both engines' files the same way."""
        commands = read_back_script([self.wine_dir, self.host_dir],
                                    file_names, extra_names)
        script = self.script_file(commands, "read_back.txt")
        results = {
            "Wine on Wine's files": self.run_wine(self.wine_dir, script),
            "host on host files": self.run_host(self.host_dir, script),
            "Wine on host files": self.run_wine(self.host_dir, script),
            "host on Wine's files": self.run_host(self.wine_dir, script),
        }
        reference = results["Wine on Wine's files"]
        # Every name comes from a key line or a write, so each must be found.
        self.assertNotIn(out_line(NOT_FOUND), reference)
        self.assertGreater(len(reference), len(file_names))
        for label, lines in results.items():
            with self.subTest(label):
                self.assertEqual(reference, lines)

    # -- reading --

    READ_FILES = {
        "quotes.ini": b'[Quotes]\r\ndq="  spaced  "\r\nsq=\'single\'\r\n'
                      b'mixed="left\'\r\ninner=a "b" c\r\none="\r\ntwo=""\r\n'
                      b'nested=""x""\r\npadded=  \'p\'  \r\n',
        "blanks.ini": b' \t[ \tBlank\x0b ]\r\n  \t key \t = value\r\n'
                      b'\x0bother=x\r\ntrim= \t\x0bin  side\x0b\t \r\n',
        "case.ini": b"[MiXed]\r\nSomeKey=1\r\n[\xc4rger]\r\n\xe9t\xe9=2\r\n",
        "dups.ini": b"[s]\r\nk=first\r\nK=second\r\nj=v ;not a comment\r\n"
                    b";c=comment\r\n#h=hash\r\nnoequals\r\n[t]\r\nx=1\r\n"
                    b"[S]\r\nk=third\r\nonly=4\r\n[c] text=after\r\nk=5\r\n",
        "breaks.ini": b"[s]\rk=cr\rj=2\r[t]\nk=lf\n[u]\n\r\r\nk=mixed",
        "ints.ini": b"[n]\r\nm1=-1\r\np1=+1\r\nbig=4294967296\r\n"
                    b"big1=4294967297\r\nnbig=-4294967297\r\nplain=  42  \r\n"
                    b"tail=42A94967297\r\nlead=B4294967297\r\nsign=-\r\n"
                    b"gap=- 5\r\nq=\"12\"\r\nsq=' -3'\r\nempty=\r\n"
                    b"blank=   \r\nqempty=\"\"\r\n",
    }

    # (command, expected line or None when only agreement is checked)
    READS = [
        (F("quotes.ini"), None),
        (R("quotes", "dq"), out_line("  spaced  ")),
        (R("QUOTES", "SQ"), out_line("single")),
        (R("quotes", "mixed"), out_line("\"left'")),
        (R("quotes", "inner"), out_line('a "b" c')),
        (R("quotes", "one"), None),
        (R("quotes", "two"), out_line("")),
        (R("quotes", "nested"), out_line('"x"')),
        (R("quotes", "padded"), None),
        (R("quotes", "dq", "d", 4), out_line("  s")),
        (R("quotes", "dq", "d", 1), out_line("")),
        (R("quotes", "dq", "d", 0), out_line("")),
        (R("quotes", "none", "default", 4), out_line("def")),
        (R("quotes", "none", "  lead \t  "), out_line("  lead \t")),
        (R("quotes", "none", "'half"), None),
        (F("blanks.ini"), None),
        (R("blank", "key"), out_line("value")),
        (R("  blank ", "  key  "), out_line("value")),
        (R("blank", "other"), None),
        (R("blank", "trim"), out_line("in  side")),
        (F("case.ini"), None),
        (R("mixed", "SOMEKEY"), out_line("1")),
        (R("\xc4rger", "\xe9t\xe9"), out_line("2")),
        (R("\xe4rger", "\xe9t\xe9"), out_line("d")),
        (R("\xc4RGER", "\xc9t\xc9"), out_line("d")),
        (F("dups.ini"), None),
        (R("s", "k"), out_line("first")),
        (R("s", "only"), out_line("d")),
        (R("t", "k"), None),
        (R("s", "j"), out_line("v ;not a comment")),
        (R("s", "#h"), out_line("hash")),
        (R("s", "noequals"), None),
        (R("c", "k"), out_line("5")),
        (R("c", "text"), None),
        (F("breaks.ini"), None),
        (R("s", "k"), out_line("cr")),
        (R("s", "j"), None),
        (R("t", "k"), out_line("lf")),
        (R("u", "k"), out_line("mixed")),
        (F("ints.ini"), None),
        (I("n", "m1"), "I 4294967295"),
        (I("n", "p1"), "I 1"),
        (I("n", "big"), "I 0"),
        (I("n", "big1"), "I 1"),
        (I("n", "nbig"), "I 4294967295"),
        (I("n", "plain"), "I 42"),
        (I("n", "tail"), "I 42"),
        (I("n", "lead"), "I 0"),
        (I("n", "sign"), None),
        (I("n", "gap"), None),
        (I("n", "q"), "I 12"),
        (I("n", "sq"), "I 4294967293"),
        (I("n", "empty"), "I 77"),
        (I("n", "blank"), None),
        (I("n", "qempty"), None),
        (I("n", "missing", -2), "I 4294967294"),
        (F("missing.ini"), None),
        (R("s", "k", "dflt"), out_line("dflt")),
        (I("s", "k", 5), "I 5"),
    ]

    def test_reads_agree(self):
        self.put_files(self.READ_FILES)
        commands = [c for c, _ in self.READS]
        wine, host = self.run_both(commands)
        self.assert_agree(commands, wine, host)
        expected = [e for c, e in self.READS if not c.startswith("F\t")]
        for line, want, got in zip(with_results(commands), expected, host):
            if want is not None:
                with self.subTest(line):
                    self.assertEqual(want, got)

    # Wine parts from Windows here; the host keeps to Windows.
    # (name, file, command, Windows result, Wine 8 result). Windows has not
    # been seen to take 0x/0o prefixes or to cut long integer texts; the host
    # keeps to the plain decimal rule there.
    READ_DEVIATIONS = [
        ("Wine strips quotes from the default",
         b"[s]\r\n", R("s", "none", '"qd"'), out_line('"qd"'), out_line("qd")),
        ("Wine strips tabs from the passed section",
         b"[s]\r\nk=v\r\n", R("\ts", "k"), out_line("d"), out_line("v")),
        ("Wine strips tabs from the passed key",
         b"[s]\r\nk=v\r\n", R("s", "k\t"), out_line("d"), out_line("v")),
        ("Wine trims a form feed from values",
         b"[s]\r\nff=\x0c\r\n", R("s", "ff"), out_line("\x0c"), out_line("")),
        ("Wine finds an empty key",
         b"[s]\r\n=v\r\n", R("s", ""), out_line("d"), out_line("v")),
        ("Wine reads lines before the first section as section ''",
         b"k=top\r\n[s]\r\n", R("", "k"), out_line("d"), out_line("top")),
        ("Wine lets the lines before the first section shadow []",
         b"k=top\r\n[]\r\nk=empty\r\n", R("", "k"), out_line("empty"),
         out_line("top")),
        ("Wine ends a header at its last ]",
         b"[a]b]\r\nk=1\r\n", R("a", "k"), out_line("1"), out_line("d")),
        ("Wine takes no header from a line without ]",
         b"[open\r\nk=3\r\n", R("open", "k"), out_line("3"), out_line("d")),
        ("Wine finds comment lines as keys",
         b"[s]\r\n;c=comment\r\n", R("s", ";c"), out_line("d"),
         out_line("comment")),
        ("Wine understands a UTF-8 mark",
         b"\xef\xbb\xbf[s]\r\nk=v\r\n", R("s", "k"), out_line("d"),
         out_line("v")),
        ("Wine reads integers with a 0x prefix",
         b"[s]\r\nk=0x10\r\n", I("s", "k"), "I 0", "I 16"),
        ("Wine reads integers with a 0o prefix",
         b"[s]\r\nk=0o17\r\n", I("s", "k"), "I 0", "I 15"),
        ("Wine cuts integer texts at 29 characters",
         b"[s]\r\nk=" + b"0" * 35 + b"42\r\n", I("s", "k"), "I 42", "I 0"),
    ]

    def test_known_read_deviations(self):
        commands = []
        for number, (_, data, read, _, _) in enumerate(self.READ_DEVIATIONS):
            name = "dev%d.ini" % number
            self.put_files({name: data})
            commands += [F(name), read]
        wine, host = self.run_both(commands)
        for (what, _, _, windows, wine_form), w, h in zip(
                self.READ_DEVIATIONS, wine, host):
            with self.subTest(what):
                self.assertEqual(windows, h, "host")
                self.assertEqual(wine_form, w, "Wine")

    # -- writing --

    WRITE_FILES = {
        "replace.ini": b"; head comment\r\n\r\n[First]\r\na=1\r\n\r\n"
                       b"[Middle]\r\n  Key = old value \r\nb=2\r\n\r\n"
                       b"; about last\r\n[Last]\r\nz=9",
        "middle.ini": b"[one]\r\nx=1\r\n[two]\r\ny=2\r\n[three]\r\nz=3\r\n",
        "nobreak.ini": b"[a]\r\nk=1",
        "cr.ini": b"[s]\rk=1\r",
        "dups.ini": b"[s]\r\nk=1\r\nK=2\r\n[S]\r\nk=3\r\n",
    }

    WRITES = [
        F("replace.ini"),
        W("middle", "KEY", "  New Value  "),
        W("Middle", "added", "x"),
        W("  spaced sec  ", "  spaced key  ", " v "),
        R("middle", "key"), R("middle", "added"), R("spaced sec", "spaced key"),
        F("middle.ini"),
        W("two", "new", "v"), W("two", "y", '"quoted "'),
        R("two", "new"), R("two", "y"), R("three", "new"),
        F("nobreak.ini"),
        W("b", "k", "2"), R("a", "k"), R("b", "k"),
        F("cr.ini"),
        W("s", "k", "2"), W("s", "j", "3"), R("s", "k"), R("s", "j"),
        F("dups.ini"),
        W("S", "K", "x"), R("s", "k"),
        F("created.ini"),
        W("Sec", "Key", "Value"), W("sec", "num", "-1"), I("SEC", "NUM"),
        R("sec", "key", "d", 4),
    ]

    WINDOWS_FORM = {
        "replace.ini": b"; head comment\r\n\r\n[First]\r\na=1\r\n\r\n"
                       b"[Middle]\r\n  Key =  New Value  \r\nb=2\r\nadded=x\r\n"
                       b"\r\n; about last\r\n[Last]\r\nz=9\r\n"
                       b"[spaced sec]\r\nspaced key= v \r\n",
        "middle.ini": b"[one]\r\nx=1\r\n[two]\r\ny=\"quoted \"\r\nnew=v\r\n"
                      b"[three]\r\nz=3\r\n",
        "nobreak.ini": b"[a]\r\nk=1\r\n[b]\r\nk=2\r\n",
        "cr.ini": b"[s]\rk=2\rj=3\r\n",
        "dups.ini": b"[s]\r\nk=x\r\nK=2\r\n[S]\r\nk=3\r\n",
        "created.ini": b"[Sec]\r\nKey=Value\r\nnum=-1\r\n",
    }

    def run_writes(self):
        self.put_files(self.WRITE_FILES)
        wine, host = self.run_both(self.WRITES)
        self.assertTrue(all(line == "W 1" for line in wine + host
                            if line.startswith("W")))
        return wine, host

    def test_writes_agree(self):
        wine, host = self.run_writes()
        self.assert_agree(self.WRITES, wine, host)
        self.assert_files_read_alike(sorted(self.WINDOWS_FORM),
                                     written_names(self.WRITES))

    def test_host_edits_files_in_place(self):
        self.run_writes()
        for name, data in self.WINDOWS_FORM.items():
            with self.subTest(name):
                self.assertEqual(data, (self.host_dir / name).read_bytes())

    def test_wine_rewrites_whole_files(self):
        """Wine rebuilds a file from its parse: blank lines go, names and
        values are trimmed (trailing blanks of the passed names stay), line
        ends become CRLF, and a new key follows a trailing comment."""
        self.run_writes()
        wine_form = dict(self.WINDOWS_FORM)
        wine_form.update({
            "replace.ini": b"; head comment\r\n[First]\r\na=1\r\n[Middle]\r\n"
                           b"Key=New Value\r\nb=2\r\n; about last\r\n"
                           b"added=x\r\n[Last]\r\nz=9\r\n"
                           b"[spaced sec  ]\r\nspaced key  =v \r\n",
            "cr.ini": b"[s]\r\nk=2\r\nj=3\r\n",
        })
        for name, data in wine_form.items():
            with self.subTest(name):
                self.assertEqual(data, (self.wine_dir / name).read_bytes())


if __name__ == "__main__":
    unittest.main()
