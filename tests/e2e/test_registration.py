"""Installed files registered under Wine: a DLL through the setup toolkit
library shipped beside SETUP.EXE (its dependency beside it is found although
the program limits the library search), a program by its /REGSERVER switch,
waited for, and a registry file imported by REGEDIT /S. Each writes a value
that the registry then holds."""

import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

KEY = "HKCU\\Software\\ZavezTest"


class Registration(harness.WineTestCase):
    def test_each_kind_is_registered_and_logged(self):
        registration = os.path.join(os.path.dirname(harness.program("reg_program")), "registration")
        sources = {"REGHELP.DLL": os.path.join(registration, "REGHELP.DLL"),
                   "REGSRV.DLL": os.path.join(registration, "REGSRV.DLL"),
                   "REGPROG.EXE": harness.program("reg_program")}
        for name, source in sources.items():
            staged = os.path.join(self.prefix.work_dir, name)
            shutil.copyfile(source, staged)
            harness.compress(staged, self.media, name)
        staged = os.path.join(self.prefix.work_dir, "APP.REG")
        harness.write_crlf(staged, f"REGEDIT4\n\n[{KEY.replace('HKCU', 'HKEY_CURRENT_USER')}]\n\"Reg\"=\"imported\"\n")
        harness.compress(staged, self.media, "APP.REG")
        shutil.copyfile(os.path.join(os.path.dirname(harness.setup_exe()), "ZAVEZ432.DLL"),
                        os.path.join(self.media, "ZAVEZ432.DLL"))
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"),
                           "[BootSetup]\nVBCompatible=0\nSetupFileName=\n"
                           "File1=REGHELP.DLL;;1;;1;REGHELP.DL_\n"
                           "File2=REGSRV.DLL;;1;;1;REGSRV.DL_;1\n"
                           "File3=REGPROG.EXE;;1;;1;REGPROG.EX_;2\n"
                           "File4=APP.REG;;1;;1;APP.RE_;APP.REG\n")

        run = self.start_setup([])
        self.assertEqual(run.wait(90), 0)

        entries = {key.upper(): value for key, value in harness.last_log_section(self.prefix).entries}
        self.assertEqual(entries.get("C:\\WINDOWS\\REGSRV.DLL(DLLREG)"), "0")
        self.assertEqual(entries.get("C:\\WINDOWS\\REGPROG.EXE /REGSERVER(EXEREG)"), "100")
        self.assertEqual(entries.get("REGEDIT /S APP.REG(REGEDIT)"), "100")
        code, out, err = harness.wine(self.prefix, ["reg", "query", KEY])
        self.assertEqual(code, 0, err)
        values = {line.split()[0]: line.split()[-1] for line in out.splitlines() if "REG_" in line}
        self.assertEqual(values, {"Dll": "0x2a", "Exe": "registered", "Reg": "imported"})


if __name__ == "__main__":
    harness.run_tests()
