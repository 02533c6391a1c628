// Checking a media folder before any disk is written: what the bootstrapper
// would cut, misread, not find or refuse, as compiler-style diagnostics.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace media {

struct Diagnostic {
  std::string file;  // as given, e.g. "DISK1/SETUP.LST"
  int line = 0;      // 0: the file as a whole
  bool error = true;
  std::string text;

  // "FILE:LINE: error: text"
  std::string Format() const;
};

// The media folder `dir` holds DISK1, DISK2, ... or one disk's files; the
// setup list is SETUP.LST on the first disk.
std::vector<Diagnostic> Lint(const std::filesystem::path& dir);

}  // namespace media
