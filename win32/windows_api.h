// <windows.h> without the A/W name macros that clash with the seam's
// operation names.
#pragma once

#include <windows.h>

#undef CreateDirectory
#undef CreateWindow
#undef DefWindowProc
#undef DeleteFile
#undef DrawText
#undef LoadLibrary
#undef LoadString
#undef MessageBox
#undef RemoveDirectory
#undef ReplaceFile
#undef SetCurrentDirectory
