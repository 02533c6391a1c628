#include "setup_list.h"

#include <new>

#include "settings.h"
#include "string_ids.h"
#include "text.h"
#include "expand_copy.h"
#include "setup_log.h"

namespace boot {
namespace {

constexpr std::size_t kMaxLineStretch = 20;  // a line and its break
constexpr char kCopiedStatus[] = "101";

bool IsLineBreak(char c) { return c == '\n' || c == '\r' || c == '\f' || c == '\x1a'; }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

PlainScan ScanContent(std::string_view content) {
  PlainScan scan;
  std::size_t cursor = 0;
  while (const auto next = NextLineStart(content, cursor)) {
    if (*next - cursor > kMaxLineStretch) {
      scan.result = kScanLineTooLong;
      scan.list.clear();
      return scan;
    }
    for (std::size_t i = cursor; i < *next; ++i) {
      if (!IsLineBreak(content[i])) scan.list += content[i];
    }
    scan.list += ';';
    cursor = *next;
  }
  scan.list.append(content.substr(cursor));
  scan.result = kScanDone;
  return scan;
}

// Form 3: each listed name takes the last character of the name recorded in
// its compressed header; names that cannot be opened are dropped.
void RestorePlainNames(BootState& state, Sequence& seq, std::string& joined) {
  std::string restored;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find(';', start);
    if (end == std::string::npos) end = joined.size();
    std::string item = joined.substr(start, end - start);
    if (!item.empty()) {
      const auto name = state.Os().ExpandedName(seq.sourceDir + item);
      if (name && !name->empty()) {
        item.back() = name->back();
        seq.registerList += item + "|";
      }
    }
    restored += item;
    if (end < joined.size()) restored += ';';
    start = end + 1;
  }
  joined = restored;
}

void DetermineListMode(BootState& state, Sequence& seq) {
  state.listMode = ReadIntSetting(state, ids::kVBCompatible, kPlainList);
  if (state.listMode != kPlainList) return;
  PlainScan scan = ScanPlainList(state.Os().ReadFile(seq.sourceListPath));
  if (scan.result == kScanDone) {
    RestorePlainNames(state, seq, scan.list);
    WriteLogEntry(state, "VB", "3," + scan.list);
  } else if (scan.result == kScanLineTooLong) {
    state.listMode = kSectionedList;
    WriteLogEntry(state, "VB", "4");
  } else {
    state.listMode = kOwnList;
    WriteLogEntry(state, "VB", "3," + std::to_string(scan.result));
  }
}

std::string MainSetupSourceName(BootState& state, const Sequence& seq) {
  switch (state.listMode) {
    case kPlainList:
      return GetField(seq.registerList, 1, '|');
    case kOwnList:
      return ReadTextSettingById(state, ids::kSetupDistName, ids::kDefaultSetupDistName,
                                 kSetupFileNameCapacity);
    default:
      return seq.setupFileName;
  }
}

ListMacros LoadMacros(const BootState& state) {
  return {LoadText(state, ids::kWinSysPathMacro), LoadText(state, ids::kWinPathMacro),
          LoadText(state, ids::kDllSelfRegisterMacro), LoadText(state, ids::kExeSelfRegisterMacro)};
}

void CollectOwnEntries(BootState& state) {
  for (int n = 1;; ++n) {
    const std::string entry =
        ReadTextSetting(state, ids::kFile, "*", kOwnEntryCapacity, std::to_string(n));
    if (!IsSet(entry)) return;
    state.splashText += entry + "|";
  }
}

void CollectSectionedEntries(BootState& state, Sequence& seq) {
  platform::Platform& os = state.Os();
  seq.listSetupName = os.ReadProfileString(LoadText(state, ids::kSetupSection),
                                           LoadText(state, ids::kSetupKey), "*",
                                           kListSetupNameCapacity, seq.sourceListPath);
  const std::string section = LoadText(state, ids::kBootstrapSection);
  const std::string key = LoadText(state, ids::kBootstrapFile);
  const ListMacros macros = LoadMacros(state);
  bool splitPending = false;
  for (int n = 1;; ++n) {
    const std::string entry = os.ReadProfileString(section, key + std::to_string(n), "*",
                                                   kSectionedEntryCapacity, seq.sourceListPath);
    if (!IsSet(entry)) return;
    state.splashText += ConvertSectionedEntry(entry, macros, splitPending);
    if (!IsSet(GetField(entry, 4, ','))) return;
  }
}

}  // namespace

std::optional<std::size_t> NextLineStart(std::string_view content, std::size_t pos) {
  while (pos < content.size() && !IsLineBreak(content[pos])) ++pos;
  if (pos >= content.size()) return std::nullopt;
  while (pos < content.size() && IsLineBreak(content[pos])) ++pos;
  return pos;
}

PlainScan ScanPlainList(const std::optional<std::string>& content) {
  if (!content) return {};
  // The list is text: whatever follows a NUL byte is not part of it.
  std::string_view text(*content);
  text = text.substr(0, text.find('\0'));
  if (content->size() <= 2) return {};
  try {
    return ScanContent(text);
  } catch (const std::bad_alloc&) {
    return {kScanNoMemory, {}};
  }
}

std::string ConvertSectionedEntry(std::string_view entry, const ListMacros& macros,
                                  bool& splitPending) {
  const std::string disk = GetField(entry, 1, ',');
  const std::string source = GetField(entry, 3, ',');
  const std::string dest = GetField(entry, 4, ',');
  if (splitPending) {
    splitPending = false;
    return source + ";" + disk + ";|";
  }
  splitPending = !GetField(entry, 2, ',').empty();
  const std::string place = GetField(entry, 5, ',');
  const std::string reg = GetField(entry, 6, ',');
  const int destCode = StartsWith(place, macros.winSysPath) ? 0 : StartsWith(place, macros.winPath) ? 1 : 0;
  std::string registration = "0";
  if (StartsWith(reg, macros.dllSelfRegister)) {
    registration = "1";
  } else if (StartsWith(reg, macros.exeSelfRegister)) {
    registration = "2";
  } else if (IsSet(reg)) {
    registration = reg;
  }
  std::string record = dest + ";;" + std::to_string(destCode) + ";" + GetField(entry, 10, ',') + ";" +
                       disk + ";" + source + ";" + registration + ";";
  if (!splitPending) record += "|";
  return record;
}

bool ReadSetupList(BootState& state, Sequence& seq) {
  platform::Platform& os = state.Os();
  seq.registerList.clear();
  seq.sourceListPath = seq.sourceDir + LoadText(state, ids::kSetupListName);
  if (os.FileExists(seq.sourceListPath)) DetermineListMode(state, seq);

  seq.setupFileName = ReadTextSettingById(state, ids::kSetupFileName, ids::kDefaultSetupFileName,
                                          kSetupFileNameCapacity);
  seq.setupProgramPath = seq.setupDir + seq.setupFileName;
  state.deleteSetup = ReadIntSetting(state, ids::kDeleteSetup, 1);
  WriteLogEntry(state, "1", seq.winDir);
  WriteLogEntry(state, "2", seq.osSysDir);
  WriteLogEntry(state, "3", seq.sourceDir);

  const std::string sourceName = MainSetupSourceName(state, seq);
  state.splashText += seq.setupProgramPath + "|";
  if (IsSet(seq.registerList)) state.splashText += seq.registerList;

  if (state.listMode == kSectionedList) {
    ExpandCopy(state, seq.sourceListPath, seq.setupDir + LoadText(state, ids::kSetupListName), true);
  } else {
    if (!sourceName.empty() &&
        ExpandCopy(state, seq.sourceDir + sourceName, seq.setupProgramPath, true) == kCopyFailed) {
      return false;
    }
    WriteLogEntry(state, seq.setupProgramPath, kCopiedStatus);
  }
  seq.installOtherText =
      ReadTextSetting(state, ids::kErrorMessageInstallOther, "*", kExtraTextCapacity);
  return true;
}

void CollectEntries(BootState& state, Sequence& seq) {
  if (state.listMode == kPlainList) return;
  if (state.listMode == kSectionedList) {
    CollectSectionedEntries(state, seq);
  } else {
    CollectOwnEntries(state);
  }
}

}  // namespace boot
