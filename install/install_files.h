// The installation loop: every bootstrap file of the list is found on the
// media, compared with the copy on the machine by the method of
// VersionCheck, and replaced, with each failure reported to the user.
#pragma once

#include "boot_state.h"

namespace boot {

// Files installed by version whose records ask for it are added to the
// run's registration list. False when the run has ended: the user stopped
// it, or a source could not be read.
bool InstallFiles(BootState& state);

}  // namespace boot
