// The list of bootstrap files in its three forms, turned into file records.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "boot_state.h"
#include "sequence.h"

namespace boot {

inline constexpr int kOwnList = 0;
inline constexpr int kPlainList = 3;
inline constexpr int kSectionedList = 4;

// Result codes of the plain-list scan.
inline constexpr int kScanDone = 1;
inline constexpr int kScanUnreadable = -1;
inline constexpr int kScanNoMemory = -2;
inline constexpr int kScanLineTooLong = -3;

struct PlainScan {
  int result = kScanUnreadable;
  std::string list;  // the lines joined by ";"
};

// `content` is the whole file, or nothing when it cannot be read.
PlainScan ScanPlainList(const std::optional<std::string>& content);

// The position after the next run of line-break characters at or after
// `pos`; nothing when no line break follows.
std::optional<std::size_t> NextLineStart(std::string_view content, std::size_t pos);

struct ListMacros {
  std::string winSysPath, winPath, dllSelfRegister, exeSelfRegister;
};

// Turns one sectioned-list entry into record text. A split file spans two
// entries: `splitPending` carries the state from one to the next.
std::string ConvertSectionedEntry(std::string_view entry, const ListMacros& macros,
                                  bool& splitPending);

// Settles the list form, records the main setup program and copies it (or
// the sectioned list) into place. False when the run has ended.
bool ReadSetupList(BootState& state, Sequence& seq);

// Appends the records of the own or sectioned list to SplashText.
void CollectEntries(BootState& state, Sequence& seq);

}  // namespace boot
