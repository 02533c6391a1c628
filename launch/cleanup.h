// Removing what the run put in place for the main setup program.
#pragma once

#include "boot_state.h"

namespace boot {

// Runs once after the message loop, reading what the sequence left in
// SplashText.
void CleanUpAfterSetup(BootState& state);

}  // namespace boot
