// Where a record's file goes and which files a run keeps for itself while
// it installs the records: a record that would overwrite one is refused.
// The program decides with these, and so does the linter.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "file_names.h"

namespace boot {

// Split files are joined in the Windows directory as this name with a
// number extension (.001, ...).
inline constexpr char kJoinFileStem[] = "SETUP000";

// The directory a record's DestCode names: 0 the destination directory,
// 1 the Windows directory (the destination with a temporary directory),
// any other the system directory.
const std::string& DestinationOf(int destCode, bool useTempDir, const std::string& dest, const std::string& win,
                                 const std::string& sys);

// `stem`, then `separator` and up to three digits: the staging copies
// beside a destination (NAME~, NAME~2) and the join files (SETUP000.001).
inline bool IsNumberedCopy(std::string_view path, std::string_view stem, char separator) {
  if (!path.starts_with(stem) || path.size() == stem.size() || path[stem.size()] != separator) return false;
  const std::string_view digits = path.substr(stem.size() + 1);
  return digits.size() <= 3 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// True when `path` is one of the run's own files `owned` (full paths; an
// empty one stands for none) or a numbered copy of one (SETUP000.001), or
// a staging copy beside any destination (NAME~, NAME~2). Inline, as the
// program's one call was before it was shared.
inline bool IsOwnedPath(std::string_view path, std::span<const std::string> owned) {
  const std::string normal = NormalPath(path, "");
  for (const std::string& own : owned) {
    const std::string ownNormal = NormalPath(own, "");
    if (!own.empty() && (ownNormal == normal || IsNumberedCopy(normal, ownNormal, '.'))) return true;
  }
  return IsNumberedCopy(normal, normal.substr(0, normal.rfind('~')), '~');
}

// Whether the log may be written to `wanted` (a full path): not on the
// media, below `programDir` or `sourceDir`, and none of `runFiles` (the
// run's lists and main setup program, taken in `base`). Inline, as above.
inline bool IsUsableLogFile(const std::string& wanted, const std::string& programDir, const std::string& sourceDir,
                            std::initializer_list<std::string> runFiles, const std::string& base) {
  const bool onMedia = IsBelow(wanted, programDir) || IsBelow(wanted, sourceDir);
  bool runFile = false;
  for (const std::string& file : runFiles) {
    runFile = runFile || wanted == NormalPath(file, base);
  }
  return !(onMedia || runFile);
}

}  // namespace boot
