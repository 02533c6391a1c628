// Checking a media folder before any disk is written: what the bootstrapper
// would cut, misread, not find or refuse, as compiler-style diagnostics.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "boot_state.h"
#include "file_record.h"

namespace media {

struct Diagnostic {
  std::string file;  // as given, e.g. "DISK1/SETUP.LST"
  int line = 0;      // 0: the file as a whole
  bool error = true;
  std::string text;

  // "FILE:LINE: error: text", or "FILE: error: text" for the whole file
  std::string Format() const;
};

// The media folder `dir` holds DISK1, DISK2, ... or one disk's files. The
// bootstrapper `program` on the first disk reads its settings from its own
// list beside it (SETUP.LST for SETUP.EXE) and the files from SETUP.LST in
// its source directory (FileSubDir below its own).
std::vector<Diagnostic> Lint(const std::filesystem::path& dir, const std::string& program = "SETUP.EXE");

// The list of bootstrap files as the linter reads it, the program's way:
// the form the program settles (VBCompatible, with 3 as its scan of
// SETUP.LST finds) and the records it installs, in order; none when it
// refuses the list's main setup program and ends the run.
struct ListReading {
  boot::ListMode form = boot::ListMode::kOwn;
  std::vector<boot::FileRecord> records;
};
ListReading ReadList(const std::filesystem::path& dir, const std::string& program = "SETUP.EXE");

}  // namespace media
