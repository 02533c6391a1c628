// SETUP.EXE's entry: hands the platform's start values to the program.
#include "platform/win32/windows_api.h"

#include "app/entry.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  try {
    win32::Win32Platform os;
    return boot::RunProgram(os, reinterpret_cast<platform::Instance>(instance),
                            commandLine != nullptr ? commandLine : "", showCommand);
  } catch (...) {
    return 0;  // the exit code is 0 in every case
  }
}
