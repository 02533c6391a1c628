// SETUP.EXE's entry: hands the platform's start values to the program.
#include "windows_api.h"

#include "entry.h"
#include "heap.h"
#include "string_ids.h"
#include "win32_backend.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  win32::PrepareOutOfMemoryBox(instance, boot::ids::kOutOfMemory, boot::ids::kSetupError);
  win32::Backend backend;
  return boot::RunProgram(backend.Os(), reinterpret_cast<platform::Instance>(instance),
                          commandLine != nullptr ? commandLine : "", showCommand);
}
