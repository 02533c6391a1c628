// Starting the main setup program and waiting for it.
#pragma once

#include <cstdint>
#include <string>

#include "boot_state.h"

namespace boot {

inline constexpr std::uintptr_t kWaitTimerId = 1000;
inline constexpr unsigned kWaitTimerMs = 1000;


// The program part, quoted when it holds a blank, then its switches, the
// source directory and, when there are any, the program's own arguments.
std::string ComposeCommandLine(const std::string& program, const std::string& switches,
                               const std::string& sourceDir, const std::string& arguments);

// Ends the run (quit request) in every outcome but the wait.
void LaunchMainSetup(BootState& state);

// The timer branch of the splash window: ends the run once the main setup
// program has ended.
void OnWaitTimer(BootState& state, platform::Window window);

}  // namespace boot
