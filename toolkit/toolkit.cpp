// The setup toolkit library that SETUP.EXE calls to register a DLL: entry
// ordinal 1 loads the DLL, calls its DllRegisterServer and frees it.
#include <windows.h>

namespace {

using RegisterServerFn = HRESULT(STDAPICALLTYPE*)();

HRESULT LastErrorResult() { return HRESULT_FROM_WIN32(::GetLastError()); }

// The bootstrapper limits the search for libraries to the system directory;
// a DLL's own dependencies beside it are still found: its folder is
// searched first.
HMODULE LoadWithItsFolder(const char* path) {
  const HMODULE module =
      ::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  // Systems without these flags refuse them as an invalid parameter.
  if (module != nullptr || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
  return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

// 0 or what DllRegisterServer returns; HRESULT_FROM_WIN32 of the error when
// the DLL cannot be loaded or has no such entry.
extern "C" LONG WINAPI RegisterLibrary(const char* path) {
  const HMODULE module = LoadWithItsFolder(path);
  if (module == nullptr) return LastErrorResult();
  const auto entry = reinterpret_cast<RegisterServerFn>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllRegisterServer")));
  const HRESULT result = entry != nullptr ? entry() : LastErrorResult();
  ::FreeLibrary(module);
  return result;
}
