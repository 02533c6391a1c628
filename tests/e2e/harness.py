"""Runs SETUP.EXE under Wine on a virtual X display: the i686 product (a
32-bit program in a 64-bit prefix, through Debian's wine32:i386), or the
x86-64 twin for its smoke set.

One Wine prefix is made per test run and handed to every test cheaply: large
files are hard links, everything Wine or a test may write is a real copy, so
tests never share a writable file. Windows are inspected by winspy.exe, a
helper that runs inside the same Wine session (the message-box trace cuts long
texts and has no caption; without a window manager X sees no frames).

Environment (set by CTest, defaults for running a script by hand):
  SETUP_SOURCE_DIR       source tree (default: two levels above this file)
  SETUP_HOST_BIN         host tools such as setup-compress (build/host/bin)
  SETUP_E2E_BUILD        build under test: win32 (default, the product) or win64
  SETUP_WIN32_DIR        i686 Windows build (build/win32)
  SETUP_WIN64_DIR        x86-64 Windows build (build/win64); observers such
                         as winspy.exe always come from here
  SETUP_E2E_NO32_REASON  why 32-bit programs cannot run here (set by
                         scripts/test when it must not install wine32)
  SETUP_E2E_SMOKE        tests of a script that form the twin's smoke set;
                         the whole script runs when the product cannot
  SETUP_E2E_STATE_DIR    where the fixture records its X display
  SETUP_E2E_PREFIX_BASE  the shared base prefix (build/e2e-prefix-base)
  SETUP_E2E_WORK_DIR     per-test prefixes, media and artefacts
  SETUP_E2E_DISPLAY      use this X display (or "1": the one DISPLAY names)
  SETUP_E2E_KEEP=1       keep each test's prefix after the test

Command line: harness.py fixture-setup | fixture-cleanup | base-prefix

A test script ends with harness.main(): when the build under test cannot run
here it prints the reason and exits with SKIP_CODE, which CTest reports as
skipped.
"""

import atexit
import contextlib
import fcntl
import functools
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.environ.get("SETUP_SOURCE_DIR") or os.path.dirname(os.path.dirname(HERE))
BUILD_DIR = os.path.join(SOURCE_DIR, "build")
HOST_BIN = os.environ.get("SETUP_HOST_BIN") or os.path.join(BUILD_DIR, "host", "bin")
WIN64_DIR = os.environ.get("SETUP_WIN64_DIR") or os.path.join(BUILD_DIR, "win64")
WIN32_DIR = os.environ.get("SETUP_WIN32_DIR") or os.path.join(BUILD_DIR, "win32")
STATE_DIR = os.environ.get("SETUP_E2E_STATE_DIR") or os.path.join(BUILD_DIR, "e2e-state")
PREFIX_BASE = os.environ.get("SETUP_E2E_PREFIX_BASE") or os.path.join(BUILD_DIR, "e2e-prefix-base")
WORK_DIR = os.environ.get("SETUP_E2E_WORK_DIR") or os.path.join(BUILD_DIR, "e2e-work")
BUILD = os.environ.get("SETUP_E2E_BUILD") or "win32"
BUILD_DIRS = {"win32": WIN32_DIR, "win64": WIN64_DIR}
# Exit code of a test script whose build cannot run here (CTest SKIP_RETURN_CODE).
SKIP_CODE = 77

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768
# Files below this size are copied into each prefix; larger ones are linked.
LINK_THRESHOLD = 256 * 1024
BASE_MARKER = ".e2e-base-ready"
# Wine-Mono and Wine-Gecko are not installed: keep their install prompts away.
DLL_OVERRIDES = "mscoree,mshtml="


class HarnessError(Exception):
    pass


# --------------------------------------------------------------------------
# small helpers

def poll(predicate, timeout, interval=0.1, what="a condition"):
    """Calls predicate until it returns a true value or timeout seconds pass."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def find_tool(name, extra_dirs=()):
    for directory in extra_dirs:
        candidate = os.path.join(directory, name)
        if os.access(candidate, os.X_OK):
            return candidate
    return shutil.which(name)


def wine64_path():
    path = os.environ.get("SETUP_WINE64") or find_tool("wine64", ["/usr/lib/wine"])
    if not path:
        raise HarnessError("wine64 not found (Debian package wine64)")
    return path


def wineserver_path():
    beside = os.path.join(os.path.dirname(os.path.realpath(wine64_path())), "wineserver")
    path = beside if os.access(beside, os.X_OK) else find_tool("wineserver", ["/usr/lib/wine"])
    if not path:
        raise HarnessError("wineserver not found")
    return path


def wine32_loader():
    return os.environ.get("SETUP_WINE32") or os.path.join(os.path.dirname(os.path.realpath(wine64_path())), "wine")


@functools.lru_cache(maxsize=None)
def no_32bit_reason():
    """Why this machine cannot run 32-bit Windows programs, or None when it can."""
    reason = os.environ.get("SETUP_E2E_NO32_REASON")
    if reason:
        return reason
    loader = wine32_loader()
    if not os.access(loader, os.X_OK):
        return f"{loader} is missing: Debian's wine32:i386 is not installed"
    try:
        code, out, err = run_quiet([loader, "--version"], timeout=30)
    except (TimeoutError, OSError) as error:
        code, out, err = -1, "", str(error)
    if code != 0:
        return f"this kernel cannot run 32-bit programs ({loader} --version: {(out + err).strip()})"
    return None


def skip_reason():
    """Why the build under test cannot run here, or None."""
    if BUILD not in BUILD_DIRS:
        return f"unknown build {BUILD!r} in SETUP_E2E_BUILD"
    return no_32bit_reason() if BUILD == "win32" else None


def run_quiet(argv, env=None, timeout=60, cwd=None):
    """Runs a command with its output in temporary files, not pipes: wine may
    leave a wineserver behind that would hold a pipe open long after."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err, start_new_session=True)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            kill_group(process)
            raise TimeoutError(f"{argv[0]} did not end within {timeout} s: {argv}")
        out.seek(0)
        err.seek(0)
        return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")


def kill_group(process):
    with contextlib.suppress(ProcessLookupError, PermissionError):
        os.killpg(process.pid, signal.SIGKILL)
    with contextlib.suppress(subprocess.TimeoutExpired):
        process.wait(timeout=10)


@contextlib.contextmanager
def file_lock(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as handle:
        fcntl.flock(handle, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(handle, fcntl.LOCK_UN)


def version_label():
    """The label of the log's "V" entry: the project version of the top CMakeLists.txt."""
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt"), encoding="utf-8") as handle:
        match = re.search(r"project\s*\(\s*\S+\s+VERSION\s+([0-9][0-9.]*)", handle.read())
    if not match:
        raise HarnessError("no project(... VERSION x.y.z) in CMakeLists.txt")
    return match.group(1)


def write_crlf(path, text):
    """Writes text with CR LF line ends, as setup lists on real media have."""
    data = text.replace("\r\n", "\n").replace("\n", "\r\n")
    with open(path, "wb") as handle:
        handle.write(data.encode("latin-1"))


# --------------------------------------------------------------------------
# build outputs

def build_dir():
    """The Windows build tree under test."""
    return BUILD_DIRS[BUILD]


def _built(directory, relative):
    path = os.path.join(directory, relative)
    if not os.path.isfile(path):
        raise HarnessError(f"{path} is not built (cmake --build of {directory})")
    return path


def setup_exe():
    return _built(build_dir(), "SETUP.EXE")


def program(name):
    """A test program built from tests/e2e/programs/NAME.cpp for the build
    under test: what SETUP.EXE starts or loads has its word size, as on a
    real installation."""
    return _built(build_dir(), os.path.join("programs", name + ".exe"))


def observer(name):
    """A test program that only watches (window spy): always the x86-64 one."""
    return _built(WIN64_DIR, os.path.join("programs", name + ".exe"))


def read_record(path):
    """The fake main setup program's record: cmdline, cwd, pid, ended."""
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as handle:
        lines = handle.read().decode("latin-1").split("\r\n")
    return dict(line.split("=", 1) for line in lines if "=" in line)


def compress(source, media_dir, name):
    """Puts source on the media as NAME compressed, e.g. name SETUP1.EXE gives
    SETUP1.EX_ (the compressor stores the replaced character in the header)."""
    tool = os.path.join(HOST_BIN, "setup-compress")
    if not os.access(tool, os.X_OK):
        raise HarnessError(f"{tool} is not built (host build)")
    plain = os.path.join(media_dir, name)
    shutil.copyfile(source, plain)
    code, out, err = run_quiet([tool, plain], timeout=60)
    packed = plain[:-1] + "_"
    if code != 0 or not os.path.isfile(packed):
        raise HarnessError(f"setup-compress failed ({code}): {out}{err}")
    os.remove(plain)
    return packed


# --------------------------------------------------------------------------
# X display

class Xvfb:
    """An Xvfb server that this process started."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT, log_path=None):
        read_end, write_end = os.pipe()
        log = open(log_path, "ab") if log_path else subprocess.DEVNULL
        try:
            # -displayfd lets the server pick a free display, with no race.
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True)
        finally:
            os.close(write_end)
            if log is not subprocess.DEVNULL:
                log.close()
        try:
            self.name = ":" + self._read_number(read_end, 30)
        finally:
            os.close(read_end)
        poll(lambda: display_ready(self.name), 30, what=f"X display {self.name}")

    def _read_number(self, fd, timeout):
        data = b""
        deadline = time.monotonic() + timeout
        while not data.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(remaining, 0))
            chunk = os.read(fd, 16) if ready else b""
            if not chunk:
                self.stop()
                raise HarnessError("Xvfb did not report its display")
            data += chunk
        return data.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                kill_group(self.process)


def display_ready(name):
    env = dict(os.environ, DISPLAY=name)
    try:
        return run_quiet(["xdpyinfo"], env=env, timeout=10)[0] == 0
    except (TimeoutError, FileNotFoundError):
        return False


_private_displays = {}


def private_display():
    """A display for this process alone: for screenshots and xdotool, which
    would otherwise see the windows of tests running in parallel."""
    if "own" not in _private_displays:
        server = Xvfb()
        atexit.register(server.stop)
        _private_displays["own"] = server
    return _private_displays["own"].name


def shared_display():
    """The display of this test run: SETUP_E2E_DISPLAY, else the fixture's
    Xvfb, else one started for this process."""
    name = os.environ.get("SETUP_E2E_DISPLAY")
    if name:
        # "1" means: the display that DISPLAY names.
        return os.environ["DISPLAY"] if name == "1" else name
    state = os.path.join(STATE_DIR, "display")
    if os.path.isfile(state):
        with open(state) as handle:
            name = handle.read().strip()
        if name and display_ready(name):
            return name
    return private_display()


# --------------------------------------------------------------------------
# Wine prefixes

def base_env(prefix_path):
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(WINEPREFIX=prefix_path, WINEARCH="win64", WINEDEBUG="-all", WINEDLLOVERRIDES=DLL_OVERRIDES)
    return env


def wine_version():
    return run_quiet([wine64_path(), "--version"], timeout=30)[1].strip()


WOW64_KERNEL = os.path.join("drive_c", "windows", "syswow64", "kernel32.dll")


def prefix_marker(path):
    """What a prefix's up-to-date marker records: the Wine version, and
    whether the prefix holds the 32-bit system (a prefix made before
    wine32 was installed cannot run 32-bit programs)."""
    wow64 = os.path.isfile(os.path.join(path, WOW64_KERNEL))
    return f"{wine_version()}\n32-bit: {'yes' if wow64 else 'no'}"


def base_ready():
    marker = os.path.join(PREFIX_BASE, BASE_MARKER)
    if not os.path.isfile(marker):
        return False
    with open(marker) as handle:
        recorded = handle.read().strip()
    wanted_32bit = "yes" if no_32bit_reason() is None else "no"
    return recorded == prefix_marker(PREFIX_BASE) and recorded.endswith(wanted_32bit)


def ensure_base_prefix(rebuild=False):
    """Makes the shared base prefix unless a good one exists. Safe when
    several tests race: the lock lets one build and the others wait."""
    with file_lock(PREFIX_BASE + ".lock"):
        _ensure_base_locked(rebuild)
    return PREFIX_BASE


def _ensure_base_locked(rebuild):
    if base_ready() and not rebuild:
        return
    fresh = PREFIX_BASE + ".new"
    shutil.rmtree(fresh, ignore_errors=True)
    _build_prefix(fresh)
    shutil.rmtree(PREFIX_BASE, ignore_errors=True)
    os.rename(fresh, PREFIX_BASE)


def _build_prefix(path):
    env = base_env(path)
    env.pop("DISPLAY", None)
    steps = [
        [wine64_path(), "wineboot", "-i"],
        # A crash must end the program, not open a debugger window that blocks the run.
        [wine64_path(), "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
         "/t", "REG_DWORD", "/d", "0", "/f"],
    ]
    try:
        for argv in steps:
            code, out, err = run_quiet(argv, env=env, timeout=300)
            if code != 0:
                raise HarnessError(f"{argv[1]} failed ({code}): {out}{err}")
    finally:
        # Registry writes reach the disk when the server ends: let it end by itself first.
        with contextlib.suppress(TimeoutError):
            run_quiet([wineserver_path(), "-w"], env=env, timeout=60)
        stop_wineserver(env)
    _stand_in_for_ver_dll(path)
    needed = ["system.reg", "user.reg", "drive_c/windows/system32"]
    if no_32bit_reason() is None:
        needed.append(WOW64_KERNEL)
    for name in needed:
        if not os.path.exists(os.path.join(path, name)):
            raise HarnessError(f"prefix {path} lacks {name}")
    with open(os.path.join(path, BASE_MARKER), "w") as handle:
        handle.write(prefix_marker(path) + "\n")


def _stand_in_for_ver_dll(path):
    """Every 32-bit Windows has VER.DLL, which the bootstrapper makes present
    before anything else; the 64-bit view of Wine's system directory lacks
    it, so the x86-64 twin's runs would stop at the box for its missing
    media copy. A copy of VERSION.DLL under that name stands in for it."""
    system = os.path.join(path, "drive_c", "windows", "system32")
    stand_in = os.path.join(system, "ver.dll")
    if not os.path.exists(stand_in):
        shutil.copyfile(os.path.join(system, "version.dll"), stand_in)


def stop_wineserver(env, timeout=30):
    with contextlib.suppress(TimeoutError):
        run_quiet([wineserver_path(), "-k"], env=env, timeout=timeout)
    with contextlib.suppress(TimeoutError):
        run_quiet([wineserver_path(), "-w"], env=env, timeout=timeout)


def clone_prefix(base, dest):
    """Large files become hard links, the rest (registry, timestamps, ini
    files, dosdevices links) real copies."""
    for root, dirs, files in os.walk(base):
        target = os.path.join(dest, os.path.relpath(root, base))
        os.makedirs(target, exist_ok=True)
        for name in dirs + files:
            source = os.path.join(root, name)
            copy = os.path.join(target, name)
            if os.path.islink(source):
                os.symlink(os.readlink(source), copy)
            elif name in files and name != BASE_MARKER:
                _clone_file(source, copy, top_level=(root == base))


def _clone_file(source, copy, top_level):
    if top_level or os.path.getsize(source) < LINK_THRESHOLD:
        shutil.copy2(source, copy)
    else:
        os.link(source, copy)


class Prefix:
    """A Wine prefix of one test, with its own wineserver."""

    def __init__(self, path, work_dir, display):
        self.path = path
        self.work_dir = work_dir
        self.display = display
        self.env = base_env(path)
        self.env["DISPLAY"] = display
        self.runs = []

    def unix_path(self, win_path):
        """C:\\... inside drive_c, D:\\... in the mapped media folder; each
        component is matched without regard to case, as Windows does."""
        match = re.match(r"^([A-Za-z]):[\\/]?(.*)$", win_path)
        if not match:
            raise ValueError(f"not a drive path: {win_path}")
        root = os.path.realpath(os.path.join(self.path, "dosdevices", match.group(1).lower() + ":"))
        parts = [p for p in re.split(r"[\\/]+", match.group(2)) if p]
        return resolve_nocase(root, parts)

    def windows_dir(self):
        return self.unix_path("C:\\windows")

    def map_drive_d(self, media_dir):
        link = os.path.join(self.path, "dosdevices", "d:")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.path.abspath(media_dir), link)

    def own(self, win_path):
        """Replaces a linked file by a private copy before a test changes it in place."""
        path = self.unix_path(win_path)
        if os.path.isfile(path) and os.stat(path).st_nlink > 1:
            private = path + ".own"
            shutil.copy2(path, private)
            os.replace(private, path)
        return path

    def close(self):
        """Ends every Wine process of this prefix and, unless kept, removes it."""
        stop_wineserver(self.env)
        for run in self.runs:
            run.kill()
        if os.environ.get("SETUP_E2E_KEEP") != "1":
            shutil.rmtree(self.path, ignore_errors=True)


def resolve_nocase(root, parts):
    path = root
    for part in parts:
        candidate = os.path.join(path, part)
        if not os.path.exists(candidate) and os.path.isdir(path):
            found = [n for n in os.listdir(path) if n.lower() == part.lower()]
            if found:
                candidate = os.path.join(path, found[0])
        path = candidate
    return path


_prefix_count = [0]


def new_prefix(name=None, own_display=False):
    """A fresh prefix for one test, cloned from the base prefix. own_display
    gives it an X display of its own (for screenshots)."""
    _prefix_count[0] += 1
    label = re.sub(r"[^A-Za-z0-9_.-]+", "_", name or "test")
    work = os.path.join(WORK_DIR, f"{label}-{os.getpid()}-{_prefix_count[0]}")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    path = os.path.join(work, "prefix")
    # Under the lock: the base is never cloned while it is being made.
    with file_lock(PREFIX_BASE + ".lock"):
        _ensure_base_locked(rebuild=False)
        clone_prefix(PREFIX_BASE, path)
    display = private_display() if own_display else shared_display()
    return Prefix(path, work, display)


def wine(prefix, argv, timeout=60, env=None):
    """Runs a program in the prefix and waits: (returncode, stdout, stderr)."""
    run_env = dict(prefix.env)
    run_env.update(env or {})
    return run_quiet([wine64_path()] + list(argv), env=run_env, timeout=timeout)


# --------------------------------------------------------------------------
# SETUP.EXE runs

class SetupRun:
    """SETUP.EXE (or another program) started in the background."""

    def __init__(self, prefix, program_path, args, env=None, debug="fixme-all,trace+msgbox"):
        self.prefix = prefix
        index = len(prefix.runs) + 1
        self.stdout_path = os.path.join(prefix.work_dir, f"run{index}.stdout")
        self.stderr_path = os.path.join(prefix.work_dir, f"run{index}.stderr")
        run_env = dict(prefix.env, WINEDEBUG=debug)
        run_env.update(env or {})
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.process = subprocess.Popen([wine64_path(), program_path] + list(args), env=run_env,
                                            stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                            start_new_session=True)
        prefix.runs.append(self)

    def running(self):
        return self.process.poll() is None

    def wait(self, timeout=60):
        """Waits for the end of the run; its exit code."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"the run did not end within {timeout} s; boxes traced: "
                               f"{self.traced_boxes()}")

    def stderr(self):
        with open(self.stderr_path, "rb") as handle:
            return handle.read().decode("utf-8", "replace")

    def traced_boxes(self):
        """Texts of the message boxes from the msgbox trace (cut near 290 characters)."""
        return [unescape_wine_string(m) for m in
                re.findall(r'trace:msgbox:MSGBOX_OnInit L"((?:[^"\\]|\\.)*)"', self.stderr())]

    def kill(self):
        if self.process.poll() is None:
            kill_group(self.process)


def start_setup(prefix, args=(), program_path="D:\\SETUP.EXE", env=None):
    """Starts D:\\SETUP.EXE with args in the background; message-box texts go to its stderr."""
    return SetupRun(prefix, program_path, args, env=env)


def unescape_wine_string(text):
    """Undoes Wine's debug quoting: \\n, \\r, \\t, \\", \\\\ and \\XXXX (hex) for the rest."""
    escapes = {"n": "\n", "r": "\r", "t": "\t"}

    def one(match):
        code = match.group(1)
        return chr(int(code, 16)) if len(code) == 4 else escapes.get(code, code)
    return re.sub(r"\\([0-9a-fA-F]{4}|.)", one, text)


# --------------------------------------------------------------------------
# windows and message boxes, through winspy.exe inside Wine

class Window:
    def __init__(self, fields):
        self.fields = fields
        self.hwnd = fields.get("hwnd")
        self.pid = int(fields.get("pid", "0"))
        self.cls = fields.get("class", "")
        self.title = fields.get("title", "")
        self.visible = fields.get("visible") == "1"
        self.style = int(fields.get("style", "0"), 16)
        self.exstyle = int(fields.get("exstyle", "0"), 16)
        self.owner = int(fields.get("owner", "0"), 16)
        self.outer = _rect(fields.get("outer", "0,0,0,0"))
        self.client = _rect(fields.get("client", "0,0,0,0"))

    def __repr__(self):
        return f"Window({self.cls!r}, {self.title!r}, visible={self.visible}, outer={self.outer})"


class Box:
    def __init__(self, window, text, buttons):
        self.window = window
        self.caption = window.title
        self.text = text
        self.buttons = buttons  # list of (id, text)

    def __repr__(self):
        return f"Box({self.caption!r}, {self.text!r}, {self.buttons})"


def _rect(text):
    return tuple(int(v) for v in text.split(","))


def _unescape_spy(value):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(m.group(1), m.group(1)), value)


def parse_spy(output):
    """winspy lines: kind, then key=value fields, tab-separated."""
    records = []
    for line in output.splitlines():
        parts = line.rstrip("\r").split("\t")
        if not parts[0]:
            continue
        fields = {}
        for part in parts[1:]:
            key, _, value = part.partition("=")
            fields[key] = _unescape_spy(value)
        records.append((parts[0], fields))
    return records


def winspy(prefix, args, timeout=30):
    """Runs winspy.exe in the prefix: (exit code, parsed records)."""
    code, out, err = wine(prefix, [observer("winspy")] + [str(a) for a in args], timeout=timeout,
                          env={"WINEDEBUG": "-all"})
    if code == 2:
        raise HarnessError(f"winspy usage error: {err}")
    return code, parse_spy(out)


# Wine needs a few seconds to start a program in a fresh prefix.
WINE_SLACK = 30


def list_windows(prefix):
    return [Window(f) for kind, f in winspy(prefix, ["list"])[1] if kind == "window"]


def wait_window(prefix, cls="*", title="*", timeout=20):
    """Waits (bounded) until a visible top-level window matches; returns it."""
    code, records = winspy(prefix, ["wait", cls, title, int(timeout * 1000)], timeout=timeout + WINE_SLACK)
    if code != 0:
        raise TimeoutError(f"no visible window class={cls!r} title={title!r} within {timeout} s; "
                           f"windows: {list_windows(prefix)}")
    return Window(records[0][1])


def wait_window_gone(prefix, cls="*", title="*", timeout=20):
    code, _ = winspy(prefix, ["gone", cls, title, int(timeout * 1000)], timeout=timeout + WINE_SLACK)
    if code != 0:
        raise TimeoutError(f"window class={cls!r} title={title!r} still visible after {timeout} s")


def find_windows(prefix, cls="*", title="*"):
    return [w for w in list_windows(prefix)
            if cls in ("*", w.cls) and title in ("*", w.title)]


def wait_box(prefix, caption, timeout=20):
    """Waits for a message box with this caption; its whole text and buttons."""
    code, records = winspy(prefix, ["box", caption, int(timeout * 1000)], timeout=timeout + WINE_SLACK)
    if code != 0:
        raise TimeoutError(f"no message box {caption!r} within {timeout} s; "
                           f"windows: {list_windows(prefix)}")
    window = Window(records[0][1])
    text = next(f["value"] for kind, f in records if kind == "text")
    buttons = [(int(f["id"]), f["text"]) for kind, f in records if kind == "button"]
    return Box(window, text, buttons)


IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO = 1, 2, 3, 4, 5, 6, 7


def press_button(prefix, caption, button_id):
    code, _ = winspy(prefix, ["press", caption, button_id])
    if code != 0:
        raise HarnessError(f"no button {button_id} in a box {caption!r}")


def answer_box(prefix, caption, button_id=IDOK, timeout=20):
    """Waits for the box, presses one of its buttons and waits until it is gone."""
    box = wait_box(prefix, caption, timeout)
    press_button(prefix, caption, button_id)
    wait_window_gone(prefix, "#32770", caption, timeout)
    return box


def answer_box_by_key(prefix, caption, key="Return", timeout=20):
    """Answers a box through X as a person would: its mnemonic key (a, r, i,
    y, n) or Return for OK. Use with a display of the test's own."""
    wait_box(prefix, caption, timeout)
    env = dict(os.environ, DISPLAY=prefix.display)
    code, out, err = run_quiet(["xdotool", "search", "--sync", "--name", f"^{re.escape(caption)}$",
                                "windowfocus", "--sync", "key", key], env=env, timeout=timeout)
    if code != 0:
        raise HarnessError(f"xdotool could not answer {caption!r}: {out}{err}")
    wait_window_gone(prefix, "#32770", caption, timeout)


def wait_x_window(display, title, timeout=20):
    """Waits until X shows a window of this title; its X id. X keeps a
    hidden window mapped for the two seconds that Wine waits for a window
    manager, so this sees windows that Windows shows only briefly."""
    env = dict(os.environ, DISPLAY=display)
    pattern = f"^{re.escape(title)}$"

    def search():
        code, out, _ = run_quiet(["xdotool", "search", "--onlyvisible", "--name", pattern], env=env)
        return out.split()[0] if code == 0 and out.strip() else None
    return poll(search, timeout, interval=0.02, what=f"X window {title!r}")


def screen_metrics(prefix):
    return next(f for kind, f in winspy(prefix, ["screen"])[1] if kind == "screen")


# --------------------------------------------------------------------------
# screenshots

class Image:
    """An RGB picture read through ImageMagick as PPM."""

    def __init__(self, path):
        self.path = path
        code, _, err = run_quiet(["convert", path, "-depth", "8", path + ".ppm"], timeout=60)
        if code != 0:
            raise HarnessError(f"convert failed: {err}")
        with open(path + ".ppm", "rb") as handle:
            data = handle.read()
        os.remove(path + ".ppm")
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        self.width, self.height = int(match.group(1)), int(match.group(2))
        self.pixels = data[match.end():]

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"pixel {x},{y} outside {self.width}x{self.height}")
        at = (y * self.width + x) * 3
        return tuple(self.pixels[at:at + 3])

    def colors(self, left, top, right, bottom):
        """The set of colours in the rectangle (right and bottom exclusive)."""
        return {self.pixel(x, y) for y in range(top, bottom) for x in range(left, right)}

    def bounds_unlike(self, color, left, top, right, bottom):
        """Bounding box (right and bottom exclusive) of the pixels of the
        rectangle that differ from color, or None."""
        points = [(x, y) for y in range(top, bottom) for x in range(left, right) if self.pixel(x, y) != color]
        if not points:
            return None
        xs, ys = [x for x, _ in points], [y for _, y in points]
        return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def screenshot(display, path):
    """Saves the whole X screen as PNG; returns it as an Image."""
    env = dict(os.environ, DISPLAY=display)
    code, out, err = run_quiet(["import", "-window", "root", path], env=env, timeout=60)
    if code != 0 or not os.path.isfile(path):
        raise HarnessError(f"import failed ({code}): {out}{err}")
    return Image(path)


# --------------------------------------------------------------------------
# the setup log

class LogSection:
    def __init__(self, name):
        self.name = name
        self.entries = []  # (key, value) in file order

    def keys(self):
        return [k for k, _ in self.entries]

    def get(self, key, default=None):
        for k, v in self.entries:
            if k.lower() == key.lower():
                return v
        return default

    def __repr__(self):
        return f"LogSection({self.name!r}, {self.entries})"


def read_profile(path):
    """Sections of a profile file in file order (lines end in CR LF)."""
    with open(path, "rb") as handle:
        text = handle.read().decode("latin-1")
    sections = []
    for line in text.split("\n"):
        line = line.rstrip("\r")
        if line.startswith("[") and "]" in line:
            sections.append(LogSection(line[1:line.index("]")]))
        elif "=" in line and sections:
            key, _, value = line.partition("=")
            sections[-1].entries.append((key, value))
    return sections


def log_path(prefix, name="ZOVURERU.INI"):
    return os.path.join(prefix.windows_dir(), name) if "\\" not in name else prefix.unix_path(name)


def log_sections(prefix, name="ZOVURERU.INI"):
    path = log_path(prefix, name)
    return read_profile(path) if os.path.isfile(path) else []


def last_log_section(prefix, name="ZOVURERU.INI"):
    sections = log_sections(prefix, name)
    if not sections:
        raise HarnessError(f"no log section in {log_path(prefix, name)}")
    return sections[-1]


# --------------------------------------------------------------------------
# test case base

class WineTestCase(unittest.TestCase):
    """Gives each test a prefix of its own with D: mapped to self.media, and
    ends its Wine processes at the end, whether the test passed or not."""

    own_display = False

    @classmethod
    def setUpClass(cls):
        # A terminated test still runs its clean-ups and ends its Wine session.
        if signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
            signal.signal(signal.SIGTERM, _exit_on_signal)

    def setUp(self):
        self.prefix = new_prefix(self.id().split(".", 1)[-1], own_display=self.own_display)
        self.addCleanup(self.prefix.close)
        self.media = os.path.join(self.prefix.work_dir, "media")
        os.makedirs(self.media)
        self.prefix.map_drive_d(self.media)

    def start_setup(self, args=(), env=None):
        shutil.copyfile(setup_exe(), os.path.join(self.media, "SETUP.EXE"))
        return start_setup(self.prefix, args, env=env)


def _exit_on_signal(number, _frame):
    raise SystemExit(128 + number)


# --------------------------------------------------------------------------
# fixture commands for CTest

def fixture_setup():
    os.makedirs(STATE_DIR, exist_ok=True)
    fixture_cleanup()
    shutil.rmtree(WORK_DIR, ignore_errors=True)
    started = time.monotonic()
    ensure_base_prefix(rebuild=os.environ.get("SETUP_E2E_REUSE_PREFIX") != "1")
    print(f"base prefix {PREFIX_BASE} ready in {time.monotonic() - started:.1f} s")
    server = Xvfb(log_path=os.path.join(STATE_DIR, "xvfb.log"))
    with open(os.path.join(STATE_DIR, "xvfb.pid"), "w") as handle:
        handle.write(f"{server.process.pid}\n")
    with open(os.path.join(STATE_DIR, "display"), "w") as handle:
        handle.write(server.name + "\n")
    print(f"Xvfb on display {server.name}")


def fixture_cleanup():
    _stop_left_prefixes()
    pid_file = os.path.join(STATE_DIR, "xvfb.pid")
    if os.path.isfile(pid_file):
        with open(pid_file) as handle:
            pid = int(handle.read().strip() or 0)
        # Only the server recorded by our own fixture, and only if it is Xvfb.
        if pid > 0 and _is_xvfb(pid):
            os.kill(pid, signal.SIGTERM)
            with contextlib.suppress(TimeoutError):
                poll(lambda: not os.path.exists(f"/proc/{pid}"), 10, what="Xvfb to end")
        os.remove(pid_file)
    with contextlib.suppress(FileNotFoundError):
        os.remove(os.path.join(STATE_DIR, "display"))


def _stop_left_prefixes():
    """A test killed by its time limit cannot close its prefix; end the Wine
    sessions of the prefixes it left."""
    if not os.path.isdir(WORK_DIR):
        return
    for name in sorted(os.listdir(WORK_DIR)):
        path = os.path.join(WORK_DIR, name, "prefix")
        if os.path.isdir(path):
            stop_wineserver(base_env(path), timeout=20)
            if os.environ.get("SETUP_E2E_KEEP") != "1":
                shutil.rmtree(path, ignore_errors=True)


def _is_xvfb(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as handle:
            return os.path.basename(handle.read().split(b"\0")[0]) == b"Xvfb"
    except OSError:
        return False


def run_tests():
    """The end of every test script: runs its tests on the build under test,
    or reports the whole script as skipped when that build cannot run here."""
    reason = skip_reason()
    if reason:
        print(f"SKIPPED ({BUILD}): {reason}", flush=True)
        sys.exit(SKIP_CODE)
    print(f"build under test: {BUILD} ({setup_exe()})", flush=True)
    argv = sys.argv[:1]
    smoke = os.environ.get("SETUP_E2E_SMOKE", "").split()
    if smoke and no_32bit_reason() is None:
        argv += smoke
    elif smoke:
        # Without the product's run, the twin keeps the whole script covered.
        print(f"the i686 tests cannot run here ({no_32bit_reason()}): all of this script runs on {BUILD}")
    unittest.main(argv=argv, verbosity=2)


def main(argv):
    commands = {"fixture-setup": fixture_setup, "fixture-cleanup": fixture_cleanup,
                "base-prefix": lambda: print(ensure_base_prefix())}
    if len(argv) != 2 or argv[1] not in commands:
        print(__doc__)
        return 2
    commands[argv[1]]()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
