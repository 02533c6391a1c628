// Libraries that the media's author supplies, found by a safe search.
#pragma once

#include <string>

#include "boot_state.h"

namespace boot {

// Looks for `name` in the program's directory, the system directory, the
// Windows directory and the setup directory, in this order, and loads the
// first one found by its full path: neither the current directory nor the
// PATH can supply it. 0 when none loads.
platform::OwnedLibrary LoadAuthorLibrary(BootState& state, const std::string& name);

}  // namespace boot
