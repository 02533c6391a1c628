// SETUP.EXE's entry: hands the platform's start values to the program.
#include "windows_api.h"

#include <cstdlib>

#include "entry.h"
#include "win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  try {
    win32::Win32Platform os;
    return boot::RunProgram(os, reinterpret_cast<platform::Instance>(instance),
                            commandLine != nullptr ? commandLine : "", showCommand);
  } catch (...) {
    return 0;  // the exit code is 0 in every case
  }
}

// An exception that escapes everything ends the program; the default
// handler would drag the whole name demangler into the program for a
// message that a GUI program never shows.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
