// The fixed sequence of bootstrap phases between start-up and the loop.
#pragma once

#include <string>

#include "boot_state.h"

namespace boot {

// False only when the splash window cannot be created. Otherwise either a
// quit request is posted or the wait for the main setup program runs.
bool RunBootstrap(BootState& state, platform::Instance instance, const std::string& commandLine,
                  int showCommand);

}  // namespace boot
