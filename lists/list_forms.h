// The list of bootstrap files in its three forms, read into file records.
// The program reads its lists through these, and so do the media tools.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_record.h"
#include "text.h"

namespace boot {

// Result codes of the plain-list scan.
inline constexpr int kScanDone = 1;
inline constexpr int kScanUnreadable = -1;
inline constexpr int kScanNoMemory = -2;
inline constexpr int kScanLineTooLong = -3;

struct PlainScan {
  int result = kScanUnreadable;
  std::string list;  // the lines joined by ";"
};

// `content` is the whole file, or nothing when it cannot be read. A UTF-8
// byte-order mark before the first line is not part of it.
PlainScan ScanPlainList(std::optional<std::string_view> content);

// The scan of a whole list file as read: one in UTF-16 is never a plain
// list, since the platform's profile calls read it as sections and keys.
PlainScan ScanListContent(std::string_view content);

// The names of a scanned plain list, empty ones included.
std::vector<std::string> PlainListItems(const std::string& joined);

// The position after the next run of line-break characters at or after
// `pos`; nothing when no line break follows.
std::optional<std::size_t> NextLineStart(std::string_view content, std::size_t pos);

struct ListMacros {
  std::string winSysPath, winPath, dllSelfRegister, exeSelfRegister;
};

// Adds one sectioned-list entry to `files`. A split file spans two entries:
// `splitPending` carries the state from one to the next, and the second
// completes the record of the first.
void AddSectionedEntry(std::vector<FileRecord>& files, std::string_view entry, const ListMacros& macros,
                       bool& splitPending);

// The records of a sectioned list's entries; `read(n)` gives entry n as
// the profile read gives it. The list ends at the first entry that is not
// set, or after one whose destination is not set.
template <typename ReadEntry>
void ReadSectionedEntries(std::vector<FileRecord>& files, const ListMacros& macros, ReadEntry&& read) {
  bool splitPending = false;
  for (int n = 1;; ++n) {
    const std::string entry = read(n);
    if (!IsSet(entry)) break;
    AddSectionedEntry(files, entry, macros, splitPending);
    if (!IsSet(GetField(entry, 4, ','))) break;
  }
  if (splitPending && !files.empty()) files.back().secondPartMissing = true;
}

// The records of the own list's numbered keys; `read(n)` gives key n as
// the profile read gives it. The list ends at the first that is not set.
template <typename ReadEntry>
void ReadOwnEntries(std::vector<FileRecord>& files, ReadEntry&& read) {
  for (int n = 1;; ++n) {
    const std::string entry = read(n);
    if (!IsSet(entry)) return;
    files.push_back(ParseFileRecord(entry));
  }
}

// Names of a record that the program refuses, with a box that names the
// destination or the name: half a split file, and a program without an
// extension (the platform would add ".EXE" and start another file), are
// refused by their destination; else a name that is not a plain file name.
// Whether the destination is one of the run's own files is for the
// program to check between the two.
bool RefusesDestination(const FileRecord& record);
const std::string* FirstUnplainName(const FileRecord& record);

}  // namespace boot
