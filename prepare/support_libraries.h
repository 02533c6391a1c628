// The 3-D controls library and the version library: made present from the
// media when missing, then loaded.
#pragma once

#include "boot_state.h"

namespace boot {

// Only when Dialog3d is 1: makes CTL3DV2.DLL present, loads CTL3D32.DLL and
// registers the program with it. Dialog3d stays 1 only when it loaded.
void PrepareCtl3d(BootState& state);

// The log entry of the 3-D library's copy, once the log section exists.
void LogCtl3dCopy(BootState& state);

// Makes VER.DLL present and, when files are compared by version, loads
// VERSION.DLL from the system directory. Without it the run compares
// dates, and says so in the log once.
void PrepareVersionLibrary(BootState& state);

}  // namespace boot
