#include "setup_list.h"

#include <algorithm>

#include "constants.h"
#include "expand_copy.h"
#include "file_names.h"
#include "settings.h"
#include "setup_log.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {

constexpr std::size_t kMaxLineStretch = 20;  // a line and its break
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLineBreak(char c) { return c == '\n' || c == '\r' || c == '\f' || c == '\x1a'; }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

// The platform's profile calls read a file with a UTF-16 byte-order mark
// as sections and keys, so such a list is never a plain one.
bool IsUtf16(std::string_view content) {
  return content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF");
}

std::vector<std::string> SplitItems(const std::string& joined) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find(';', start);
    if (end == std::string::npos) end = joined.size();
    items.push_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return items;
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

// The box naming a refused name and its list, and the "403" entry.
bool Refuse(BootState& state, const std::string& name, const std::string& listFile) {
  state.Os().windows->MessageBox(LoadText(state, ids::kNotAPlainFileName) + name + "\n\n" + listFile,
                        state.errorCaption, platform::kMbOk | platform::kMbIconError);
  WriteLogEntry(state, name, logged::kRefused);
  return false;
}

// A name that would reach outside its folder or talk to a device is
// refused.
bool AcceptName(BootState& state, const std::string& name, const std::string& listFile) {
  return IsPlainFileName(name) || Refuse(state, name, listFile);
}

// A program is started by its whole name: without an extension the
// platform would add ".EXE" and start whatever file has that name.
bool AcceptProgramName(BootState& state, const std::string& name, const std::string& listFile) {
  return (IsPlainFileName(name) && HasExtension(name)) || Refuse(state, name, listFile);
}

// `stem`, then `separator` and up to three digits: the staging copies
// beside a destination (NAME~, NAME~2) and the join files (SETUP000.001).
bool IsNumberedCopy(std::string_view path, std::string_view stem, char separator) {
  if (!path.starts_with(stem) || path.size() == stem.size() || path[stem.size()] != separator) return false;
  const std::string_view digits = path.substr(stem.size() + 1);
  return digits.size() <= 3 && std::all_of(digits.begin(), digits.end(), IsDigit);
}

// The files a run keeps for itself while its records are installed: its
// log, its program and lists, the toolkit, and the copies it makes and
// deletes. (The splash picture's copy is gone by then.)
bool IsRunOwnFile(BootState& state, const std::string& path) {
  const std::string normal = NormalPath(path, "");
  const bool listCopied = state.list.mode == ListMode::kSectioned;
  const std::string owned[] = {
      LogFilePath(state), state.Os().system->ModuleFileName(), state.listPath, state.list.sourcePath,
      listCopied ? state.dirs.setup + LoadText(state, ids::kSetupListName) : std::string(),
      state.dirs.program + kToolkitFileName, state.dirs.win + kJoinFileStem};
  for (const std::string& own : owned) {
    const std::string ownNormal = NormalPath(own, "");
    if (!own.empty() && (ownNormal == normal || IsNumberedCopy(normal, ownNormal, '.'))) return true;
  }
  return IsNumberedCopy(normal, normal.substr(0, normal.rfind('~')), '~');
}

bool AcceptRecord(BootState& state, const FileRecord& record, const std::string& listFile) {
  const bool registryFile = record.registration.size() >= 3;
  // Half a file is never installed as the whole.
  if (record.secondPartMissing) return Refuse(state, record.destName, listFile);
  if (RegisterKindOf(record.registration) == RegisterKind::kProgram &&
      !AcceptProgramName(state, record.destName, listFile)) {
    return false;
  }
  if (IsPlainFileName(record.destName) &&
      IsRunOwnFile(state, DestinationDirectory(state, record.destCode) + record.destName)) {
    return Refuse(state, record.destName, listFile);
  }
  return AcceptName(state, record.destName, listFile) &&
         (record.sourceName.empty() || AcceptName(state, record.sourceName, listFile)) &&
         (!record.IsSplit() || AcceptName(state, record.secondSource, listFile)) &&
         (!registryFile || AcceptName(state, record.registration, listFile));
}

// Form 3: each listed name takes the last character of the name recorded in
// its compressed header and becomes a record; names that cannot be opened
// get none. The first item stays the main setup program's source whatever
// became of it. False when that first name is refused.
bool TakePlainNames(BootState& state, std::string& joined, std::string& mainSource) {
  std::vector<std::string> items = SplitItems(joined);
  bool first = true;
  for (std::string& item : items) {
    if (item.empty()) continue;
    const bool isMain = first;
    first = false;
    if (!AcceptName(state, item, state.list.sourcePath)) {
      if (isMain) return false;
      continue;
    }
    const auto name = state.Os().lz->ExpandedName(state.dirs.source + item);
    if (name && !name->empty()) {
      item.back() = name->back();
      FileRecord record;
      record.destName = item;
      state.list.files.push_back(record);
    }
    if (isMain) mainSource = item;
  }
  joined.clear();
  for (std::size_t i = 0; i < items.size(); ++i) joined += (i == 0 ? "" : ";") + items[i];
  return true;
}

// A list too large to read whole, or one that no memory can hold, is
// reported as the scan's no-memory result.
PlainScan ScanListFile(const platform::Os& os, const std::string& path) {
  const auto [content, error] = os.files->ReadFile(path, kWholeFileLimit);
  if (!content) {
    const bool tooLarge = error == platform::kErrorFileTooLarge || error == platform::kErrorNotEnoughMemory;
    return tooLarge ? PlainScan{kScanNoMemory, {}} : PlainScan{};
  }
  if (IsUtf16(content->View())) return {kScanLineTooLong, {}};
  return ScanPlainList(content->View());
}

// False when the run has ended.
bool DetermineListMode(BootState& state, std::string& mainSource) {
  state.list.mode = ReadListMode(state);
  if (state.list.mode != ListMode::kPlain) return true;
  PlainScan scan = ScanListFile(state.Os(), state.list.sourcePath);
  if (scan.result == kScanDone) {
    if (!TakePlainNames(state, scan.list, mainSource)) return false;
    WriteLogEntry(state, logged::kListForm, logged::kPlainForm + scan.list);
  } else if (scan.result == kScanLineTooLong) {
    state.list.mode = ListMode::kSectioned;
    WriteLogEntry(state, logged::kListForm, logged::kSectionedForm);
  } else {
    state.list.mode = ListMode::kOwn;
    WriteLogEntry(state, logged::kListForm, logged::kPlainForm + Decimal(scan.result));
  }
  return true;
}

// The name the main setup program is placed under: a plain name with an
// extension that is neither the setup log nor a folder. Empty means
// nothing is placed.
bool AcceptSetupFileName(BootState& state) {
  const std::string& name = state.list.setupFileName;
  if (name.empty()) return true;
  const bool acceptable = IsPlainFileName(name) && HasExtension(name) &&
                          NormalPath(state.list.programPath, state.dirs.win) != LogFilePath(state) &&
                          !state.Os().files->DirectoryExists(state.list.programPath);
  return acceptable || Refuse(state, name, state.listPath);
}

std::string MainSetupSourceName(BootState& state, const std::string& plainSource) {
  switch (state.list.mode) {
    case ListMode::kPlain:
      return plainSource;
    case ListMode::kOwn:
      return ReadTextSettingById(state, ids::kSetupDistName, ids::kDefaultSetupDistName,
                                 kSetupFileNameCapacity);
    default:
      return state.list.setupFileName;
  }
}

// Copies the main setup program into place, asking again while the user
// retries a destination that cannot be written. False when the run ends.
bool PlaceMainSetupProgram(BootState& state, const std::string& sourceName) {
  const std::string source = state.dirs.source + sourceName;
  const std::string& destination = state.list.programPath;
  int answer = 0;
  if (ExpandCopyAsking(state, source, destination, true, answer) != kCopied) return false;
  WriteLogEntry(state, destination, logged::kCopied);
  return true;
}

ListMacros LoadMacros(const BootState& state) {
  return {LoadText(state, ids::kWinSysPathMacro), LoadText(state, ids::kWinPathMacro),
          LoadText(state, ids::kDllSelfRegisterMacro), LoadText(state, ids::kExeSelfRegisterMacro)};
}

void CollectOwnEntries(BootState& state) {
  for (int n = 1;; ++n) {
    const std::string entry = ReadTextSetting(state, ids::kFile, "*", kOwnEntryCapacity, Decimal(n));
    if (!IsSet(entry)) return;
    state.list.files.push_back(ParseFileRecord(entry));
  }
}

// False when the program its Setup key names is not a plain file name.
bool CollectSectionedEntries(BootState& state) {
  const platform::Os& os = state.Os();
  SetupList& list = state.list;
  list.setupKeyName = os.profiles->ReadProfileString(LoadText(state, ids::kSetupSection), LoadText(state, ids::kSetupKey),
                                           "*", kListSetupNameCapacity, list.sourcePath);
  if (IsSet(list.setupKeyName) &&
      !AcceptProgramName(state, SplitProgramAndSwitches(list.setupKeyName).first, list.sourcePath)) {
    return false;
  }
  const std::string section = LoadText(state, ids::kBootstrapSection);
  const std::string key = LoadText(state, ids::kBootstrapFile);
  const ListMacros macros = LoadMacros(state);
  bool splitPending = false;
  for (int n = 1;; ++n) {
    const std::string entry =
        os.profiles->ReadProfileString(section, key + Decimal(n), "*", kSectionedEntryCapacity, list.sourcePath);
    if (!IsSet(entry)) break;
    AddSectionedEntry(list.files, entry, macros, splitPending);
    if (!IsSet(GetField(entry, 4, ','))) break;
  }
  if (splitPending && !list.files.empty()) list.files.back().secondPartMissing = true;
  return true;
}

// Keeps the records whose names are all plain.
void RefuseUnsafeRecords(BootState& state, const std::string& listFile) {
  std::vector<FileRecord> accepted;
  for (FileRecord& record : state.list.files) {
    if (AcceptRecord(state, record, listFile)) accepted.push_back(std::move(record));
  }
  state.list.files = std::move(accepted);
}

}  // namespace

std::string DestinationDirectory(const BootState& state, int destCode) {
  if (destCode == 0) return state.dirs.dest;
  if (destCode == 1) return state.useTempDir ? state.dirs.dest : state.dirs.win;
  return state.dirs.sys;
}

std::optional<std::size_t> NextLineStart(std::string_view content, std::size_t pos) {
  while (pos < content.size() && !IsLineBreak(content[pos])) ++pos;
  if (pos >= content.size()) return std::nullopt;
  while (pos < content.size() && IsLineBreak(content[pos])) ++pos;
  return pos;
}

PlainScan ScanPlainList(std::optional<std::string_view> content) {
  if (!content || content->size() <= 2) return {};
  // The list is text: whatever follows a NUL byte is not part of it.
  std::string_view text = *content;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return ScanContent(text.substr(0, text.find('\0')));
}

void AddSectionedEntry(std::vector<FileRecord>& files, std::string_view entry, const ListMacros& macros,
                       bool& splitPending) {
  const auto field = [entry](int n, std::size_t length) { return GetField(entry, n, ',').substr(0, length); };
  if (splitPending && !files.empty()) {
    splitPending = false;
    files.back().secondSource = field(3, kShortFieldLength);
    files.back().secondDisk = ParseLeadingInt(field(1, kShortFieldLength));
    return;
  }
  const std::string place = field(5, kShortFieldLength);
  const std::string reg = field(6, kShortFieldLength);
  FileRecord record;
  record.destName = field(4, kDestNameLength);
  record.destCode = StartsWith(place, macros.winSysPath) ? 0 : StartsWith(place, macros.winPath) ? 1 : 0;
  record.version = field(10, kVersionLength);
  record.disk = ParseLeadingInt(field(1, kShortFieldLength));
  record.sourceName = field(3, kShortFieldLength);
  if (StartsWith(reg, macros.dllSelfRegister)) {
    record.registration = "1";
  } else if (StartsWith(reg, macros.exeSelfRegister)) {
    record.registration = "2";
  } else {
    record.registration = IsSet(reg) ? reg : "0";
  }
  splitPending = !GetField(entry, 2, ',').empty();
  files.push_back(record);
}

bool ReadSetupList(BootState& state) {
  SetupList& list = state.list;
  list.files.clear();
  list.sourcePath = state.dirs.source + LoadText(state, ids::kSetupListName);
  std::string plainSource;
  if (state.Os().files->FileExists(list.sourcePath) && !DetermineListMode(state, plainSource)) return false;

  list.setupFileName = ReadTextSettingById(state, ids::kSetupFileName, ids::kDefaultSetupFileName,
                                           kSetupFileNameCapacity);
  list.programPath = state.dirs.setup + list.setupFileName;
  state.deleteSetup = ReadOneSetting(state, ids::kDeleteSetup, true);
  WriteLogEntry(state, logged::kWindowsDir, state.dirs.win);
  WriteLogEntry(state, logged::kSystemDir, state.dirs.osSys);
  WriteLogEntry(state, logged::kSourceDir, state.dirs.source);

  if (list.mode == ListMode::kSectioned) {
    ExpandCopy(state, list.sourcePath, state.dirs.setup + LoadText(state, ids::kSetupListName), true);
  } else {
    if (!AcceptSetupFileName(state)) return false;
    const std::string sourceName = MainSetupSourceName(state, plainSource);
    if (!sourceName.empty() && !AcceptName(state, sourceName, state.listPath)) return false;
    if (!sourceName.empty() && !list.setupFileName.empty() && !PlaceMainSetupProgram(state, sourceName)) {
      return false;
    }
  }
  list.installOtherText = ReadTextSetting(state, ids::kErrorMessageInstallOther, "*", kExtraTextCapacity);
  return true;
}

bool CollectEntries(BootState& state) {
  if (state.list.mode == ListMode::kPlain) return true;
  if (state.list.mode == ListMode::kSectioned) {
    if (!CollectSectionedEntries(state)) return false;
    RefuseUnsafeRecords(state, state.list.sourcePath);
  } else {
    CollectOwnEntries(state);
    RefuseUnsafeRecords(state, state.listPath);
  }
  return true;
}

}  // namespace boot
