// The dependency of REGSRV.DLL, installed beside it.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD HelperValue() { return 42; }
