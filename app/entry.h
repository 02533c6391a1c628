// The program's entry: start-up, the sequence, the splash window's
// procedure, the message loop, the tail.
#pragma once

#include <string>

#include "boot_state.h"

namespace boot {

// The setup list beside the program file: its base name (up to the first
// dot) with ".LST".
std::string ListPathFor(const std::string& programPath, const std::string& extension);

// The source directory: the program directory, with FileSubDir when set.
std::string SourceDirFor(const std::string& programPath, const std::string& fileSubDir);

bool InitApplication(BootState& state, platform::Instance instance);

// Runs the whole program; the result is its exit code, always 0.
int RunProgram(const platform::Os& os, platform::Instance instance, const std::string& commandLine,
               int showCommand);

}  // namespace boot
