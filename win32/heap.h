// The out-of-memory end of the program.
#pragma once

#include "windows_api.h"

namespace win32 {

// Loads the box's text and caption while memory is still there.
void PrepareOutOfMemoryBox(HINSTANCE instance, int textId, int captionId);

// Shows the out-of-memory box and ends the process with exit code 0.
[[noreturn]] void EndOutOfMemory();

}  // namespace win32
