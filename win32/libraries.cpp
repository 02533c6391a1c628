#include "win32_backend.h"

#include "constants.h"
#include "win32_common.h"

namespace win32 {

platform::Library Win32Libraries::LoadLibrary(const std::string& path) {
  return Out(::LoadLibraryA(path.c_str()));
}

platform::Library Win32Libraries::LoadSystemLibrary(const std::string& name) {
  return Out(::LoadLibraryA(SystemPath(name).c_str()));
}

bool Win32Libraries::RestrictLibrarySearch() {
  using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  const auto set = Entry<SetDirectoriesFn>(::GetModuleHandleA("KERNEL32.DLL"), "SetDefaultDllDirectories");
  return set != nullptr && set(kSearchSystem32);
}

void Win32Libraries::FreeLibrary(platform::Library library) {
  if (library != 0) ::FreeLibrary(As<HMODULE>(library));
}

platform::Entry Win32Libraries::FindEntry(platform::Library library, const char* name, int ordinal) {
  if (library == 0) return 0;
  const HMODULE module = As<HMODULE>(library);
  FARPROC entry = name != nullptr ? ::GetProcAddress(module, name) : nullptr;
  if (entry == nullptr) entry = ::GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<platform::Entry>(reinterpret_cast<void*>(entry));
}

std::intptr_t Win32Libraries::CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) {
  using One = LONG_PTR(WINAPI*)(UINT_PTR);
  using Two = LONG_PTR(WINAPI*)(UINT_PTR, UINT_PTR);
  using Four = LONG_PTR(WINAPI*)(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR);
  void* const code = reinterpret_cast<void*>(entry);
  // Every argument takes one stack slot, a WORD too: the count alone
  // decides what the callee pops.
  if (args.size() == 1) return reinterpret_cast<One>(code)(args[0]);
  if (args.size() == 2) return reinterpret_cast<Two>(code)(args[0], args[1]);
  if (args.size() == 4) return reinterpret_cast<Four>(code)(args[0], args[1], args[2], args[3]);
  return 0;
}

}  // namespace win32
