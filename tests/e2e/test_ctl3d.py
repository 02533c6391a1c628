"""A run with Dialog3d=1 under Wine calls the platform's 3-D controls
library at its documented entries with their own arguments: the stack
stays balanced, so Wine reports no exception in the program's callbacks."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

LIST = """[BootSetup]
DialogTitle=E2E Three D
Dialog3d=1
VBCompatible=0
SetupFileName=
"""


class ThreeDControls(harness.WineTestCase):
    def test_library_calls_leave_no_exception(self):
        harness.write_crlf(os.path.join(self.media, "SETUP.LST"), LIST)
        # The library is used below version 3.11 only: Wine reports 3.10 to
        # the program as Windows 3.1 with its 32-bit extension. Relays of
        # the library alone show which entries were called.
        for key, value, data in ((r"HKCU\Software\Wine\AppDefaults\SETUP.EXE", "Version", "win31"),
                                 (r"HKCU\Software\Wine\Debug", "RelayInclude", "ctl3d32.*")):
            code, out, err = harness.wine(self.prefix, ["reg", "add", key, "/v", value, "/d", data, "/f"])
            self.assertEqual(code, 0, out + err)
        run = self.start_setup([], env={"WINEDEBUG": "fixme-all,trace+msgbox,+relay"})
        self.assertEqual(run.wait(60), 0)
        self.assertEqual(run.traced_boxes(), [])
        log = run.stderr()
        faults = [line for line in log.splitlines() if "ignoring exception" in line or "unimplemented" in line]
        self.assertEqual(faults, [])
        called = [entry for entry in ("Ctl3dRegister", "Ctl3dAutoSubclass", "Ctl3dSubclassDlg",
                                      "Ctl3dDlgFramePaint", "Ctl3dUnregister", "StaticWndProc3d",
                                      "Ctl3dSetStyle") if f"Call ctl3d32.{entry}(" in log]
        self.assertEqual(called, ["Ctl3dRegister", "Ctl3dAutoSubclass", "Ctl3dSubclassDlg",
                                  "Ctl3dDlgFramePaint", "Ctl3dUnregister"])

if __name__ == "__main__":
    harness.run_tests()
