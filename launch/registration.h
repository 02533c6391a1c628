// Registering the installed files that ask for it: DLLs through the setup
// toolkit library, programs by their /REGSERVER switch, registry files by
// REGEDIT.
#pragma once

#include "boot_state.h"

namespace boot {

// Loads the toolkit library while the first disk is still in the drive,
// when a record will need it: later the drive may hold another disk.
void PrepareToolkit(BootState& state);

// Works through the run's registration list once, in install order. The
// results go to the log only; nothing here stops the run.
void RegisterInstalledFiles(BootState& state);

}  // namespace boot
