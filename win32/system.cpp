#include "win32_backend.h"

#include "constants.h"
#include "win32_common.h"

namespace win32 {

std::string Win32SystemFacts::LoadString(platform::Instance instance, int id, std::size_t capacity) {
  std::string buffer(capacity + 1, '\0');
  const int length = ::LoadStringA(As<HINSTANCE>(instance), static_cast<UINT>(id), buffer.data(),
                                   static_cast<int>(capacity));
  buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return buffer;
}

std::string Win32SystemFacts::ModuleFileName() {
  // A path may be longer than MAX_PATH: grow until it fits.
  for (std::string path(kPathCapacity, '\0');; path.resize(path.size() * 2)) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
  }
}

std::string Win32SystemFacts::WindowsDirectory() {
  char path[kPathCapacity] = {};
  ::GetWindowsDirectoryA(path, kPathCapacity);
  return path;
}

std::string Win32SystemFacts::SystemDirectory() {
  char path[kPathCapacity] = {};
  ::GetSystemDirectoryA(path, kPathCapacity);
  return path;
}

std::uint32_t Win32SystemFacts::Version() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return ::GetVersion();
#pragma GCC diagnostic pop
}

std::optional<std::uint16_t> Win32SystemFacts::NetworkCaps(int index) {
  using CapsFn = WORD(WINAPI*)(WORD);
  HMODULE user = ::LoadLibraryA(SystemPath("USER32.DLL").c_str());
  if (user == nullptr) return std::nullopt;
  std::optional<std::uint16_t> caps;
  if (auto fn = Entry<CapsFn>(user, "WNetGetCaps")) {
    caps = fn(static_cast<WORD>(index));
  }
  ::FreeLibrary(user);
  return caps;
}

platform::SystemTime Win32SystemFacts::SystemTimeUtc() {
  SYSTEMTIME t;
  ::GetSystemTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace win32
