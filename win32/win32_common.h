// Helpers that several parts of the Win32 backend share.
#pragma once

#include "windows_api.h"

#include <optional>
#include <string>
#include <utility>

#include "block.h"
#include "os_types.h"

namespace win32 {

inline constexpr DWORD kPathCapacity = MAX_PATH + 1;

template <typename T>
inline T As(platform::Handle handle) {
  return reinterpret_cast<T>(handle);
}

template <typename T>
inline platform::Handle Out(T handle) {
  return reinterpret_cast<platform::Handle>(handle);
}

// Entry points come back untyped; the caller names their type.
template <typename Fn>
inline Fn Entry(HMODULE module, LPCSTR name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

inline std::string SystemPath(const std::string& name) {
  char dir[kPathCapacity] = {};
  ::GetSystemDirectoryA(dir, kPathCapacity);
  std::string path = dir;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + name;
}

// A closed-on-destruction file or token handle.
struct FileHandle {
  HANDLE handle;
  explicit FileHandle(HANDLE h) : handle(h) {}
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) ::CloseHandle(handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
};

// A library of the system directory, freed on destruction.
struct SystemLibrary {
  HMODULE module;
  explicit SystemLibrary(const char* name) : module(::LoadLibraryA(SystemPath(name).c_str())) {}
  ~SystemLibrary() {
    if (module != nullptr) ::FreeLibrary(module);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  template <typename Fn>
  Fn Find(LPCSTR name) const {
    return module != nullptr ? Entry<Fn>(module, name) : nullptr;
  }
};

// A block for `size` bytes of a file, refused past `limit`; sets the
// error that the read reports.
inline std::optional<boot::Block> BlockFor(unsigned long long size, std::size_t limit) {
  if (size > limit) {
    ::SetLastError(ERROR_FILE_TOO_LARGE);
    return std::nullopt;
  }
  std::optional<boot::Block> block = boot::Block::Allocate(static_cast<std::size_t>(size));
  if (!block) ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

// The first bytes of a file, at most `size`.
inline std::optional<std::string> ReadHead(const std::string& path, DWORD size) {
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string head(size, '\0');
  DWORD got = 0;
  if (!::ReadFile(file.handle, head.data(), size, &got, nullptr)) return std::nullopt;
  head.resize(got);
  return head;
}

// The platform's error code of a call that just failed; 0 after success.
inline std::uint32_t ErrorIf(bool failed) { return failed ? ::GetLastError() : 0; }

inline platform::Status Checked(BOOL ok) { return {ok != FALSE, ErrorIf(!ok)}; }

// `value` with the error code of the call that gave it, when it failed.
template <typename T>
platform::Result<T> Returned(T value, bool failed) {
  const std::uint32_t error = ErrorIf(failed);
  return {std::move(value), error};
}

// Plain file handles, for the files part and for the LZ files it hands
// to the expansion library.
inline platform::File OpenPlain(const std::string& path) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : Out(file);
}

inline platform::File CreatePlain(const std::string& path) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : Out(file);
}

inline void ClosePlain(platform::File file) {
  if (file != 0) ::CloseHandle(As<HANDLE>(file));
}

}  // namespace win32
