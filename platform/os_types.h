// The values the seam carries: texts, integers, small structs and opaque
// handles, never Windows types. Results keep the platform's meaning
// (message box answers, error codes, LZ error values), and capacities that
// change behaviour are parameters, so that both backends cut texts alike.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "block.h"
#include "image_files.h"
#include "pe_version.h"

namespace platform {

// What an operation that can fail gives back: its value, and the
// platform's error code when it failed (0 when it did not). The code comes
// with the value, so no later call can change it.
template <typename T>
struct Result {
  T value{};
  std::uint32_t error = 0;

  // Whether an operation that only succeeds or fails succeeded.
  explicit operator bool() const requires std::same_as<T, bool> { return value; }
};
using Status = Result<bool>;

using Handle = std::uintptr_t;  // opaque; 0 means none
using Instance = Handle;
using Window = Handle;
using Dc = Handle;
using Library = Handle;
using Gdi = Handle;  // bitmap, icon or other drawing object
using Process = Handle;
using File = Handle;
using Entry = Handle;  // an entry point of a loaded library

struct SystemTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct WindowClass {
  std::string name;
  std::uint32_t style = 0;
  std::string icon;    // name of an icon resource of the program
  int background = 0;  // system colour index + 1
};

struct WindowParams {
  std::uint32_t exStyle = 0;
  std::string className;
  std::string title;
  std::uint32_t style = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

// The program's window procedure; each backend delivers messages to it.
using WindowProc = std::intptr_t (*)(Window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);

// Result of an LZ open: a handle, or an LZERROR_/HFILE_ERROR value below 0.
using LzFile = std::int64_t;

// The fixed version information of a file.
using VersionInfo = pe::FixedFileInfo;

// A file to install by version: `sourceDir\sourceName` becomes
// `destDir\destName`; `currentDir` is where an older copy now lies.
struct InstallRequest {
  std::uint32_t flags = 0;  // kViff...
  std::string sourceName, destName, sourceDir, destDir, currentDir;
};

// One entry of a directory's access-control list.
enum class Trustee { kAdministrators, kSystem, kCreatingUser, kUsers };
enum class Access { kFull, kReadExecute };
struct AccessEntry {
  Trustee who;
  Access rights;
};

}  // namespace platform
