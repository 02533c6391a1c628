#include "setup_list.h"


#include "constants.h"
#include "expand_copy.h"
#include "file_names.h"
#include "settings.h"
#include "setup_log.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {


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

// The files a run keeps for itself while its records are installed: its
// log, its program and lists, the toolkit, and the copies it makes and
// deletes. (The splash picture's copy is gone by then.)
bool IsRunOwnFile(BootState& state, const std::string& path) {
  const bool listCopied = state.list.mode == ListMode::kSectioned;
  const std::string owned[] = {
      LogFilePath(state), state.Os().system->ModuleFileName(), state.listPath, state.list.sourcePath,
      listCopied ? state.dirs.setup + LoadText(state, ids::kSetupListName) : std::string(),
      state.dirs.program + kToolkitFileName, state.dirs.win + kJoinFileStem};
  return IsOwnedPath(path, owned);
}

bool AcceptRecord(BootState& state, const FileRecord& record, const std::string& listFile) {
  if (RefusesDestination(record)) return Refuse(state, record.destName, listFile);
  if (IsPlainFileName(record.destName) &&
      IsRunOwnFile(state, DestinationDirectory(state, record.destCode) + record.destName)) {
    return Refuse(state, record.destName, listFile);
  }
  const std::string* refused = FirstUnplainName(record);
  return refused == nullptr || Refuse(state, *refused, listFile);
}

// Form 3: each listed name takes the last character of the name recorded in
// its compressed header and becomes a record; names that cannot be opened
// get none. The first item stays the main setup program's source whatever
// became of it. False when that first name is refused.
bool TakePlainNames(BootState& state, std::string& joined, std::string& mainSource) {
  std::vector<std::string> items = PlainListItems(joined);
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
PlainScan ScanListFile(platform::FileSystem& files, const std::string& path) {
  const auto [content, error] = files.ReadFile(path, kWholeFileLimit);
  if (!content) {
    const bool tooLarge = error == platform::kErrorFileTooLarge || error == platform::kErrorNotEnoughMemory;
    return tooLarge ? PlainScan{kScanNoMemory, {}} : PlainScan{};
  }
  return ScanListContent(content->View());
}

// False when the run has ended.
bool DetermineListMode(BootState& state, std::string& mainSource) {
  state.list.mode = ReadListMode(state);
  if (state.list.mode != ListMode::kPlain) return true;
  PlainScan scan = ScanListFile(*state.Os().files, state.list.sourcePath);
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
  if (ExpandCopyAsking(state, source, destination, true, answer) != CopyOutcome::kCopied) return false;
  WriteLogEntry(state, destination, logged::kCopied);
  return true;
}

ListMacros LoadMacros(const BootState& state) {
  return {LoadText(state, ids::kWinSysPathMacro), LoadText(state, ids::kWinPathMacro),
          LoadText(state, ids::kDllSelfRegisterMacro), LoadText(state, ids::kExeSelfRegisterMacro)};
}

void CollectOwnEntries(BootState& state) {
  ReadOwnEntries(state.list.files,
                 [&state](int n) { return ReadTextSetting(state, ids::kFile, "*", kOwnEntryCapacity, Decimal(n)); });
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
  ReadSectionedEntries(list.files, LoadMacros(state), [&](int n) {
    return os.profiles->ReadProfileString(section, key + Decimal(n), "*", kSectionedEntryCapacity, list.sourcePath);
  });
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
  return DestinationOf(destCode, state.useTempDir, state.dirs.dest, state.dirs.win, state.dirs.sys);
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
