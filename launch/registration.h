// Registering the installed files that ask for it: DLLs through the setup
// toolkit library, programs by their /REGSERVER switch, registry files by
// REGEDIT.
#pragma once

#include "boot_state.h"

namespace boot {

// Works through the run's registration list once, in install order. The
// results go to the log only; nothing here stops the run.
void RegisterInstalledFiles(BootState& state);

}  // namespace boot
