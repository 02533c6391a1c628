// The Windows, system, source and temporary directories of a run.
#pragma once

#include "boot_state.h"
#include "sequence.h"

namespace boot {

// The generated temporary directory name for a time: C:\~S + month, day
// and minute.
std::string GeneratedTempDir(const platform::SystemTime& time);

// Turns a TempDir setting of more than one character into a path.
std::string TempDirFromSetting(const std::string& setting);

void PrepareDirectories(BootState& state, Sequence& seq);

}  // namespace boot
