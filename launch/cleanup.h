// Removing what the run put in place for the main setup program.
#pragma once

#include "boot_state.h"

namespace boot {

// Runs once after the message loop. Deletes only files this run wrote, and
// the temporary directory only when this run created it.
void CleanUpAfterSetup(BootState& state);

}  // namespace boot
