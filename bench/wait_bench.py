"""Samples the processor time of SETUP.EXE under Wine while its registration
program (5 s) and its main setup program (10 s) run; see wait_bench.sh."""

import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def processes():
    """Pid by Windows program name, for the programs of this benchmark."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as handle:
                line = handle.read().decode("latin-1").upper()
        except OSError:
            continue
        for name in ("SETUP.EXE", "REGPROG.EXE", "SETUP1.EXE"):
            if name in line.split("\0")[0]:
                found[name] = int(pid)
    return found


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as handle:
        fields = handle.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def measure(product):
    prefix = harness.new_prefix("wait-bench")
    try:
        media = os.path.join(prefix.work_dir, "media")
        os.makedirs(media)
        prefix.map_drive_d(media)
        shutil.copyfile(product, os.path.join(media, "SETUP.EXE"))
        for name in ("SETUP1.EXE", "REGPROG.EXE"):
            staged = os.path.join(prefix.work_dir, name)
            shutil.copyfile(harness.program("fake_setup"), staged)
            harness.compress(staged, media, name)
        harness.write_crlf(os.path.join(media, "SETUP.LST"),
                           "[BootSetup]\nVBCompatible=0\nFile1=REGPROG.EXE;;1;;1;REGPROG.EX_;2\n")
        run = harness.start_setup(prefix, ["/wait:10000"], env={"SETUP_E2E_RUN_MS": "5000"})
        used = {"REGPROG.EXE": 0.0, "SETUP1.EXE": 0.0}
        last = None
        while run.running():
            seen = processes()
            pid = seen.get("SETUP.EXE")
            if pid is not None:
                try:
                    now = cpu_seconds(pid)
                except OSError:
                    break
                if last is not None:
                    for name in used:
                        if name in seen:
                            used[name] += now - last
                last = now
            time.sleep(0.1)
        run.wait(60)
        return used
    finally:
        prefix.close()


def main():
    spinning = sys.argv[1]
    print(f"build under test: {harness.BUILD}")
    print("| build | SETUP.EXE processor s while the registration program runs (5 s) "
          "| while the main setup program runs (10 s) |")
    print("|---|---:|---:|")
    for label, product in (("sleeps (the product)", harness.setup_exe()), ("spins", spinning)):
        used = measure(product)
        print(f"| {label} | {used['REGPROG.EXE']:.2f} | {used['SETUP1.EXE']:.2f} |", flush=True)


if __name__ == "__main__":
    main()
