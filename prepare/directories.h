// The Windows, system, source and temporary directories of a run.
#pragma once

#include <optional>
#include <string>

#include "boot_state.h"

namespace boot {

// The generated temporary directory name for a time: C:\~S + month, day
// and minute.
std::string GeneratedTempDir(const platform::SystemTime& time);

// The path a TempDir setting of more than one character names, when it is
// one the run may own: a drive letter path below the root whose parts are
// plain names, that is neither the Windows or system directory nor a parent
// of either, and not on the media (below the program's or the source
// directory).
std::optional<std::string> TempDirFromSetting(const std::string& setting, const Directories& dirs);

// Works out the directories and, when asked for, creates a temporary
// directory of this run's own. False after the box when none can be made.
bool PrepareDirectories(BootState& state);

}  // namespace boot
