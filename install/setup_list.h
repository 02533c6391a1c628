// The list of bootstrap files in its three forms, turned into file records.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "boot_state.h"

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

// Settles the list form, records the main setup program and copies it (or
// the sectioned list) into place. False when the run has ended.
bool ReadSetupList(BootState& state);

// Split files are joined in the Windows directory as this name with a
// number extension (.001, ...).
inline constexpr char kJoinFileStem[] = "SETUP000";

// Where a record's file is installed, by its DestCode.
std::string DestinationDirectory(const BootState& state, int destCode);

// Reads the records of the own or sectioned list. False when the run has
// ended.
bool CollectEntries(BootState& state);

}  // namespace boot
