// Checks of the machine that the setup list asks for before anything is
// installed: Windows versions it excludes, files that must already be there.
#pragma once

#include "boot_state.h"

namespace boot {

// When ExcludeWinOS names the running Windows version: tells the user, or
// asks whether to go on. False when the run ends.
bool CheckExcludedVersion(BootState& state);

// Looks for each RequiresN file in the system and the Windows directory;
// a missing one may be retried, skipped or end the run. False when the run
// ends.
bool CheckRequiredFiles(BootState& state);

}  // namespace boot
