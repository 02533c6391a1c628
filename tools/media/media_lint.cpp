#include "media_lint.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "boot_state.h"
#include "run_files.h"
#include "file_names.h"
#include "image_files.h"
#include "list_forms.h"
#include "media_build.h"
#include "manifest_check.h"
#include "nearest_name.h"
#include "pe_version.h"
#include "profile_text.h"
#include "settings.h"
#include "string_table.h"
#include "szdd.h"
#include "text.h"

namespace media {
namespace {

namespace fs = std::filesystem;

constexpr int kAllVersions = 31;              // the five version classes
constexpr int kDefaultWidth = 300;
constexpr int kDefaultHeight = 150;
constexpr std::size_t kWholeValue = std::size_t(1) << 20;

struct Line {
  std::string file;  // as diagnostics name it
  int number = 0;
  std::string key;
  std::string value;
};

// The keys of an INI file that the program's profile reads find, by
// section (upper case), with their lines and values as read.
using Sections = std::map<std::string, std::vector<Line>>;

// Section headers without their "]" are kept under this name, which no
// section can have. The profile reader takes the rest of such a line as
// the section's name, so a header cut short still opens a section, but
// another reader of the list may see none.
const std::string kBrokenSection = "[";
// Later headers of a section already opened, whose keys no read finds.
const std::string kRepeatedSection = "[[";

// The program's text of string `id`: key, section and file names.
std::string Text(int id) { return resources::LookUpString(id).value_or(""); }

Sections ReadSections(const profile::Document& document, const std::string& file) {
  Sections sections;
  for (const profile::Document::Header& header : document.Headers()) {
    const int line = static_cast<int>(header.line);
    if (!header.closed) sections[kBrokenSection].push_back({file, line, "[" + header.name, ""});
    const std::string name = boot::ToUpperAscii(header.name);
    if (sections.contains(name)) {  // only the first of a name is read
      sections[kRepeatedSection].push_back({file, line, header.name, ""});
      continue;
    }
    std::vector<Line>& lines = sections[name];
    for (const auto& [key, number] : document.KeyLines(header.name)) {
      lines.push_back({file, static_cast<int>(number), key, document.ReadString(header.name, key, "", kWholeValue)});
    }
  }
  return sections;
}

// The lines that an editor counts in text[from, to): LF, CR LF and CR end one.
int EditorLines(std::string_view text, std::size_t from, std::size_t to) {
  int lines = 0;
  for (std::size_t i = from; i < to && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
  }
  return lines;
}

std::optional<std::string> ReadBytes(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Linter {
 public:
  Linter(const fs::path& dir, const std::string& program)
      : dir_(dir), disks_(fs::is_directory(dir / "DISK1")), program_(program) {}

  std::vector<Diagnostic> Run() {
    if (!fs::is_directory(dir_)) {
      diagnostics_.push_back({dir_.string(), 0, true, "no such folder: there are no media to check"});
      return std::move(diagnostics_);
    }
    if (!ReadLists()) return std::move(diagnostics_);
    CheckHeaders(settings_);
    if (!oneFile_) CheckHeaders(list_);
    CheckKeys();
    CheckValues(settings_);
    if (!oneFile_) CheckValues(list_);
    CheckNumbering("BOOTSETUP", "File");
    CheckNumbering("BOOTSETUP", "Requires");
    CheckNumbering("BOOTSETUP", "DialogMessage");
    CheckNumbering("BOOTSTRAP", "File");
    CheckExclusion();
    ReadRecords();
    CheckPlainNames();
    CheckSectionedEntries();
    CheckRecords();
    CheckImage();
    return std::move(diagnostics_);
  }

  ListReading Read() {
    ListReading reading;
    if (!fs::is_directory(dir_) || !ReadLists()) return reading;
    ReadRecords();
    reading.form = form_;
    if (RunEndsAtTheList()) return reading;
    for (const Entry& entry : entries_) {
      if (!entry.refused && entry.found) reading.records.push_back(entry.record);
    }
    return reading;
  }

 private:
  // A record of the list with the lines it came from.
  struct Entry {
    boot::FileRecord record;
    Line first;
    std::optional<Line> second;  // of a split file's second part
    bool refused = false;        // for its names, with a box
    bool found = true;           // a plain list's name that can be opened
  };

  // Why the program refuses a record, with a box, in its order of checks;
  // nothing when it takes it.
  std::optional<std::string> Refusal(const boot::FileRecord& record) const {
    if (record.secondPartMissing) return "the split mark has no second part after it";
    if (boot::RefusesDestination(record)) {
      return "\"" + record.destName + "\" is started as a program but has no extension, and the entry is refused";
    }
    if (IsRunOwnFile(record)) {
      return record.destName + " would overwrite a file the run keeps for itself (its log, program, lists, toolkit, "
                               "join or staging files), and the entry is refused";
    }
    if (const std::string* name = boot::FirstUnplainName(record)) {
      return "\"" + *name + "\" is not a plain file name and the entry is refused";
    }
    return std::nullopt;
  }

  // The directories of a machine of the usual layout, which stands for
  // any: the media in D:\, Windows in C:\WINDOWS.
  struct Machine {
    bool temp = false;  // UseTempDir=1
    std::string win = "C:\\WINDOWS\\", sys = win + "SYSTEM\\", dest, setup, program = "D:\\", source;
  };
  Machine UsualMachine() const {
    Machine machine;
    machine.temp = settingsDocument_.ReadInt(Text(boot::ids::kBootSetup), Text(boot::ids::kUseTempDir), 0) == 1;
    const std::string tempDir = "C:\\~SETUP\\";
    machine.dest = machine.temp ? tempDir : machine.sys;
    machine.setup = machine.temp ? tempDir : machine.win;
    machine.source = machine.program + subDir_;
    std::replace(machine.source.begin(), machine.source.end(), '/', '\\');
    boot::AddTrailingBackslash(machine.source);
    return machine;
  }

  // The files the run keeps for itself there, as the program lists them.
  std::vector<std::string> RunOwnFiles(const Machine& machine) const {
    const std::string listName = Text(boot::ids::kSetupListName);
    const std::string listPath = machine.program + settingsName_;
    const std::string defaultLog = Text(boot::ids::kDefaultLogFile);
    const std::string wanted =
        boot::NormalPath(Setting(boot::ids::kSetupLogFile, defaultLog, boot::kLogFileCapacity), machine.win);
    const std::string setupName =
        Setting(boot::ids::kSetupFileName, Text(boot::ids::kDefaultSetupFileName), boot::kSetupFileNameCapacity);
    const bool usable =
        boot::IsUsableLogFile(wanted, machine.program, machine.source,
                              {listPath, machine.setup + listName, machine.setup + setupName}, machine.win);
    return {usable ? wanted : boot::NormalPath(defaultLog, machine.win),
            machine.program + program_,
            listPath,
            machine.source + listName,
            form_ == boot::ListMode::kSectioned ? machine.setup + listName : "",
            machine.program + boot::kToolkitFileName,
            machine.win + boot::kJoinFileStem};
  }

  bool IsRunOwnFile(const boot::FileRecord& record) const {
    const Machine& m = machine_;
    return boot::IsPlainFileName(record.destName) &&
           boot::IsOwnedPath(boot::DestinationOf(record.destCode, m.temp, m.dest, m.win, m.sys) + record.destName,
                             ownFiles_);
  }

  // A plain list's first name and the program a sectioned list's Setup
  // key names end the run when the program refuses them, before it
  // installs anything.
  bool RunEndsAtTheList() const {
    if (form_ == boot::ListMode::kPlain) return !entries_.empty() && entries_.front().refused;
    if (form_ != boot::ListMode::kSectioned) return false;
    const std::string setup = ListDocument().ReadString(Text(boot::ids::kSetupSection), Text(boot::ids::kSetupKey), "*",
                                                        boot::kListSetupNameCapacity);
    const std::string program = boot::GetField(setup, 1, ' ');
    return boot::IsSet(setup) && !(boot::IsPlainFileName(program) && boot::HasExtension(program));
  }

  // The program's own list beside it holds the settings; SETUP.LST in the
  // source directory (FileSubDir below the program's) holds the files.
  // False when neither is there or the source directory is outside.
  bool ReadLists() {
    const std::string firstDisk = disks_ ? "DISK1/" : "";
    settingsName_ = fs::path(program_).replace_extension(Text(boot::ids::kListExtension)).string();
    const std::string& settingsName = settingsName_;
    const std::optional<std::string> settingsText = ReadBytes(Disk(1) / settingsName);
    settingsDocument_ = profile::Document(settingsText);
    settings_ = ReadSections(settingsDocument_, firstDisk + settingsName);
    const std::string sub = Setting(boot::ids::kFileSubDir, "*", boot::kFileSubDirCapacity);
    if (boot::IsSet(sub)) {
      if (!boot::IsRelativePath(sub)) {
        Report(*Find("BOOTSETUP", "FileSubDir"), true,
               "FileSubDir \"" + sub + "\" must name a folder below the program's");
        return false;
      }
      subDir_ = sub;
      std::replace(subDir_.begin(), subDir_.end(), '\\', '/');
    }
    const std::string listFile = Text(boot::ids::kSetupListName);
    listName_ = firstDisk + (subDir_.empty() ? "" : subDir_ + "/") + listFile;
    oneFile_ = listName_ == firstDisk + settingsName;
    listText_ = oneFile_ ? settingsText : ReadBytes(Disk(1) / listFile);
    if (!listText_ && !settingsText) {
      diagnostics_.push_back({listName_, 0, true, "missing: the bootstrapper has nothing to read"});
      return false;
    }
    if (!oneFile_) listDocument_ = profile::Document(listText_);
    list_ = oneFile_ ? settings_ : ReadSections(ListDocument(), listName_);
    form_ = Form();
    if (listText_) CheckMode();
    return true;
  }

  const profile::Document& ListDocument() const { return oneFile_ ? settingsDocument_ : listDocument_; }

  // A text setting as the program reads it.
  std::string Setting(int key, const std::string& defaultText, std::size_t capacity,
                      const std::string& suffix = {}) const {
    return settingsDocument_.ReadString(Text(boot::ids::kBootSetup), Text(key) + suffix, defaultText, capacity);
  }

  // The list's form as the program settles it: VBCompatible when SETUP.LST
  // is there, and for 3 what the scan of its bytes finds.
  boot::ListMode Form() {
    if (!listText_) return boot::ListMode::kOwn;
    mode_ = boot::ListModeOf(static_cast<int>(
        settingsDocument_.ReadInt(Text(boot::ids::kBootSetup), Text(boot::ids::kVBCompatible), 3)));
    if (mode_ != boot::ListMode::kPlain) return mode_;
    const boot::PlainScan scan = listText_->size() > boot::kWholeFileLimit ? boot::PlainScan{boot::kScanNoMemory, {}}
                                                                            : boot::ScanListContent(*listText_);
    plainList_ = scan.list;
    if (scan.result == boot::kScanDone) return boot::ListMode::kPlain;
    return scan.result == boot::kScanLineTooLong ? boot::ListMode::kSectioned : boot::ListMode::kOwn;
  }

  // The source directory on disk n.
  fs::path Disk(int n) const {
    const fs::path disk = disks_ ? dir_ / ("DISK" + std::to_string(n)) : dir_;
    return subDir_.empty() ? disk : disk / subDir_;
  }

  void Report(const Line& line, bool error, const std::string& text) {
    diagnostics_.push_back({line.file, line.number, error, text});
  }

  // [BootSetup] is read from the program's list, the others from SETUP.LST.
  const Sections& SectionsOf(const std::string& section) const { return section == "BOOTSETUP" ? settings_ : list_; }

  const Line* Find(const std::string& section, const std::string& key) const {
    const Sections& sections = SectionsOf(section);
    const auto found = sections.find(section);
    if (found == sections.end()) return nullptr;
    for (const Line& line : found->second) {
      if (boot::ToUpperAscii(line.key) == boot::ToUpperAscii(key)) return &line;
    }
    return nullptr;
  }

  void CheckMode() {
    const bool hasSections = !ListDocument().Headers().empty();
    if (mode_ != boot::ListMode::kPlain) return;
    if (hasSections && form_ == boot::ListMode::kPlain) {
      diagnostics_.push_back({listName_, 1, true,
                              "every line is short, so the list is read as a plain list of file names although it "
                              "has sections; set VBCompatible=4 or 0"});
    } else if (!hasSections && form_ == boot::ListMode::kSectioned) {
      diagnostics_.push_back(
          {listName_, 1, true, "a line longer than 18 characters makes this plain list count as a sectioned one"});
    }
  }

  // What the bootstrapper keeps of a value, in characters; 0 for a number
  // or a key it does not read.
  static std::size_t Capacity(const std::string& section, const std::string& key) {
    if (section == "BOOTSTRAP") return boot::kSectionedEntryCapacity - 1;
    if (section == "SETUP") return boot::ToUpperAscii(key) == "SETUP" ? boot::kListSetupNameCapacity - 1 : 0;
    return section == "BOOTSETUP" ? SettingLength(key) : 0;
  }

  void CheckHeaders(const Sections& sections) {
    if (const auto broken = sections.find(kBrokenSection); broken != sections.end()) {
      for (const Line& line : broken->second) {
        Report(line, true, "the section header " + line.key + " has no closing \"]\"");
      }
    }
    if (const auto repeated = sections.find(kRepeatedSection); repeated != sections.end()) {
      for (const Line& line : repeated->second) {
        Report(line, false, "[" + line.key + "] is opened again: the bootstrapper reads only the first section of a "
                            "name, so the keys below are never read");
      }
    }
  }

  // Every key of the settings section that the bootstrapper never reads,
  // with the nearest name it does read.
  void CheckKeys() {
    const auto found = settings_.find("BOOTSETUP");
    if (found == settings_.end()) return;
    const SettingNames names = BootstrapperSettings();
    const std::vector<std::string>& plain = names.plain;
    const std::vector<std::string>& numbered = names.numbered;
    for (const Line& line : found->second) {
      if (Known(line.key, plain, numbered)) continue;
      std::string hint = boot::NearestName(line.key, plain);
      const std::size_t digits = line.key.find_last_not_of("0123456789") + 1;
      if (digits < line.key.size()) {
        if (const std::string stem = boot::NearestName(line.key.substr(0, digits), numbered); !stem.empty()) {
          hint = stem + line.key.substr(digits);
        }
      } else if (hint.empty()) {
        const std::string stem = boot::NearestName(line.key, numbered);
        if (!stem.empty()) hint = stem + "1";
      }
      if (boot::ToUpperAscii(hint) == boot::ToUpperAscii(line.key)) hint = line.key.substr(0, digits) + "1";
      Report(line, false, line.key + " is not a setting the bootstrapper reads, so it is ignored" +
                              (hint.empty() ? std::string() : ": did you mean `" + hint + "`?"));
    }
  }

  static bool Known(const std::string& key, const std::vector<std::string>& plain,
                    const std::vector<std::string>& numbered) {
    const std::string upper = boot::ToUpperAscii(key);
    for (const std::string& name : plain) {
      if (upper == boot::ToUpperAscii(name)) return true;
    }
    const std::size_t digits = upper.find_last_not_of("0123456789") + 1;
    if (digits == upper.size() || upper[digits] == '0') return false;
    for (const std::string& name : numbered) {
      if (upper.substr(0, digits) == boot::ToUpperAscii(name)) return true;
    }
    return false;
  }

  void CheckValues(const Sections& sections) {
    for (const auto& [section, lines] : sections) {
      if (section == kBrokenSection || section == kRepeatedSection) continue;
      for (const Line& line : lines) {
        if (line.value.find('|') != std::string::npos) {
          Report(line, true, line.key + ": a \"|\" splits the bootstrapper's text and shifts every later value");
        }
        const std::size_t capacity = Capacity(section, line.key);
        if (capacity != 0 && line.value.size() > capacity) {
          Report(line, true, line.key + " is cut to " + std::to_string(capacity) + " characters: \"" +
                                        line.value.substr(0, capacity) + "\"");
        }
        const std::string upper = boot::ToUpperAscii(line.key);
        const bool name = upper == "SETUPFILENAME" || upper == "SETUPDISTNAME" || upper.starts_with("REQUIRES");
        if (name && !line.value.empty() && !boot::IsPlainFileName(line.value)) {
          Report(line, true, line.key + ": \"" + line.value + "\" is not a plain file name and is refused");
        }
      }
    }
  }

  // The list ends at the first missing number: later keys are never read.
  void CheckNumbering(const std::string& section, const std::string& stem) {
    int missing = 0;
    for (int n = 1; n <= 999; ++n) {
      const Line* line = Find(section, stem + std::to_string(n));
      if (line == nullptr) {
        if (missing == 0) missing = n;
        continue;
      }
      if (missing != 0) {
        Report(*line, false, stem + std::to_string(n) + " is never read: " + stem + std::to_string(missing) +
                                        " is missing and ends the list");
        return;
      }
    }
  }

  void CheckExclusion() {
    const Line* line = Find("BOOTSETUP", "ExcludeWinOS");
    if (line == nullptr) return;
    const int mask = boot::ParseLeadingInt(boot::GetField(line->value, 1, ';'));
    if ((mask & kAllVersions) == kAllVersions) {
      Report(*line, true, "ExcludeWinOS=" + line->value + " excludes every version of Windows");
    }
  }

  // The bytes a source expands to; parts of a split file are joined.
  std::optional<std::string> Expanded(const std::vector<fs::path>& parts) const {
    std::string joined;
    for (const fs::path& part : parts) {
      const std::optional<std::string> bytes = ReadBytes(part);
      if (!bytes) return std::nullopt;
      joined += *bytes;
    }
    const szdd::Expansion expansion = szdd::Expand(joined);
    if (!expansion.complete) return std::nullopt;
    return expansion.data;
  }

  // The source of an entry on its disk, or its uncompressed twin.
  std::optional<fs::path> Source(const Line& line, int disk, const std::string& name, const std::string& dest) {
    const fs::path path = Disk(disk) / name;
    if (fs::is_regular_file(path)) return path;
    std::string twin = name;
    if (!twin.empty() && !dest.empty()) twin.back() = dest.back();
    if (fs::is_regular_file(Disk(disk) / twin)) return Disk(disk) / twin;
    Report(line, true, name + " is not on disk " + std::to_string(disk) +
                                  (disks_ ? " (folder DISK" + std::to_string(disk) + ")" : ""));
    return std::nullopt;
  }

  // The records the program takes from the list in its form, with the
  // lines they came from and whether it refuses them.
  void ReadRecords() {
    entries_.clear();
    machine_ = UsualMachine();
    ownFiles_ = RunOwnFiles(machine_);
    if (form_ == boot::ListMode::kPlain) return ReadPlainNames();
    std::vector<boot::FileRecord> records;
    struct Read {
      Line line;
      bool set = false;
      std::size_t records = 0;  // after the entry
    };
    std::vector<Read> reads;
    const auto note = [&](const std::string& section, const std::string& key, std::string entry) {
      if (!reads.empty()) reads.back().records = records.size();
      const Line* line = Find(section, key);
      reads.push_back({line != nullptr ? *line : Line{}, boot::IsSet(entry), 0});
      return entry;
    };
    if (form_ == boot::ListMode::kSectioned) {
      const boot::ListMacros macros{Text(boot::ids::kWinSysPathMacro), Text(boot::ids::kWinPathMacro),
                                    Text(boot::ids::kDllSelfRegisterMacro), Text(boot::ids::kExeSelfRegisterMacro)};
      const std::string section = Text(boot::ids::kBootstrapSection);
      const std::string key = Text(boot::ids::kBootstrapFile);
      boot::ReadSectionedEntries(records, macros, [&](int n) {
        const std::string name = key + std::to_string(n);
        return note("BOOTSTRAP", name, ListDocument().ReadString(section, name, "*", boot::kSectionedEntryCapacity));
      });
    } else {
      boot::ReadOwnEntries(records, [&](int n) {
        return note("BOOTSETUP", Text(boot::ids::kFile) + std::to_string(n),
                    Setting(boot::ids::kFile, "*", boot::kOwnEntryCapacity, std::to_string(n)));
      });
    }
    if (!reads.empty()) reads.back().records = records.size();
    // An entry that adds no record completes the split file before it.
    std::size_t before = 0;
    for (const Read& read : reads) {
      if (!read.set) break;
      if (read.records > before) {
        entries_.push_back({records[read.records - 1], read.line, std::nullopt, false, true});
      } else if (!entries_.empty()) {
        entries_.back().second = read.line;
      }
      before = read.records;
    }
    for (Entry& entry : entries_) entry.refused = Refusal(entry.record).has_value();
  }

  // Form 3: each name that can be opened becomes a record and takes the
  // last character of the name its compressed header records.
  void ReadPlainNames() {
    std::size_t cursor = 0;
    int line = 1;
    for (const std::string& item : boot::PlainListItems(plainList_)) {
      if (item.empty()) continue;
      const std::size_t at = std::min(listText_->find(item, cursor), listText_->size());
      line += EditorLines(*listText_, cursor, at);
      cursor = at + item.size();  // a name holds no line break
      Entry entry{{}, Line{listName_, line, item, item}, std::nullopt, !boot::IsPlainFileName(item), false};
      entry.record.destName = item;
      const std::optional<std::string> content = entry.refused ? std::nullopt : ReadBytes(Disk(1) / item);
      if (content) {
        const std::string name = szdd::ExpandedName(item, *content);
        if (!name.empty()) entry.record.destName.back() = name.back();
        entry.found = true;
      }
      entries_.push_back(std::move(entry));
    }
  }

  // Every name of a plain list that the program refuses or cannot open
  // (it goes on without a word), and the main setup program, its first.
  void CheckPlainNames() {
    if (form_ != boot::ListMode::kPlain || !ListDocument().Headers().empty()) return;
    for (const Entry& entry : entries_) {
      const std::string& name = entry.first.key;
      if (entry.refused) {
        Report(entry.first, true, "\"" + name + "\" is not a plain file name and is refused");
      } else if (!entry.found) {
        Report(entry.first, true, name + " is not on disk 1");
      } else if (&entry == &entries_.front()) {
        CheckVersion(entry.first, "", {Disk(1) / name}, true);
      }
    }
  }

  void CheckSectionedEntries() {
    if (form_ != boot::ListMode::kSectioned || !list_.contains("BOOTSTRAP")) return;
    const Line* setup = Find("SETUP", "Setup");
    const std::string program = setup ? boot::ToUpperAscii(boot::GetField(setup->value, 1, ' ')) : std::string();
    if (setup != nullptr && RunEndsAtTheList()) {
      Report(*setup, true, "\"" + boot::GetField(setup->value, 1, ' ') +
                               "\" is not a plain file name with an extension: the run ends here");
      return;
    }
    bool programInstalled = false;
    const bool usesTempDir =
        settingsDocument_.ReadInt(Text(boot::ids::kBootSetup), Text(boot::ids::kUseTempDir), 0) == 1;
    for (const Entry& entry : entries_) {
      const boot::FileRecord& record = entry.record;
      const std::string dest = boot::ToUpperAscii(record.destName);
      if (const std::optional<std::string> refusal = Refusal(record)) {
        Report(entry.first, true, *refusal);
        continue;
      }
      std::vector<fs::path> parts;
      if (auto path = Source(entry.first, record.disk, record.sourceName, dest)) parts.push_back(*path);
      if (entry.second) {
        if (auto path = Source(*entry.second, record.secondDisk, record.secondSource, dest)) parts.push_back(*path);
      }
      if (usesTempDir && dest != program && record.destCode == 1) {
        Report(entry.first, false, dest + " goes into the temporary directory and is never deleted: the "
                                          "directory cannot be removed (use $(WinSysPath))");
      }
      programInstalled = programInstalled || dest == program;
      if (parts.size() == (entry.second ? 2u : 1u)) CheckVersion(entry.first, record.version, parts, dest == program);
    }
    if (setup != nullptr && !programInstalled) {
      Report(*setup, true, "the main setup program " + program + " is installed by no [Bootstrap] entry");
    }
  }

  // The record form (VBCompatible other than 3 and 4): the main setup
  // program by SetupDistName, each other file by a [BootSetup] FileN record
  // DEST;SKIP;DESTCODE;VERSION;DISK;SOURCE;REGISTER;SECOND;SECONDDISK.
  void CheckRecords() {
    if (form_ == boot::ListMode::kPlain || form_ == boot::ListMode::kSectioned) return;
    const Line* program = Find("BOOTSETUP", "SetupDistName");
    const std::string distName = program ? program->value : "SETUP1.EX_";
    if (program != nullptr && boot::IsPlainFileName(distName)) {
      if (const auto path = Source(*program, 1, distName, "")) CheckVersion(*program, "", {*path}, true);
    }
    for (const Entry& entry : entries_) {
      const boot::FileRecord& record = entry.record;
      const Line& line = entry.first;
      const std::string dest = boot::ToUpperAscii(record.destName);
      std::string source = record.sourceName;
      if (source.empty() && !dest.empty()) source = dest.substr(0, dest.size() - 1) + "_";
      if (entry.refused && (boot::RefusesDestination(record) || IsRunOwnFile(record))) {
        Report(line, true, *Refusal(record));
        continue;
      }
      if (entry.refused || !boot::IsPlainFileName(source)) {
        Report(line, true, "\"" + line.value + "\" does not name plain files and is refused");
        continue;
      }
      // A record without a disk number is looked for where the run started.
      std::vector<fs::path> parts;
      if (auto path = Source(line, std::max(1, record.disk), source, dest)) parts.push_back(*path);
      if (record.IsSplit()) {
        auto path = Source(line, std::max(1, record.secondDisk), record.secondSource, dest);
        if (path) parts.push_back(*path);
        if (parts.size() != 2) continue;
      }
      CheckVersion(line, record.version, parts, false);
    }
  }

  void CheckVersion(const Line& line, const std::string& version, const std::vector<fs::path>& parts, bool program) {
    if (parts.empty()) return;
    const std::optional<std::string> content = Expanded(parts);
    if (!content) {
      Report(line, true, "the file does not expand completely");
      return;
    }
    if (program && !content->starts_with("MZ")) {
      Report(line, true, "the main setup program is not a Windows program");
    }
    const auto info = pe::ReadFixedFileInfo(*content);
    const std::string actual = info ? pe::VersionText(info->fileVersionMs, info->fileVersionLs) : std::string();
    if (!version.empty() && version != actual) {
      Report(line, false, "Version " + version + " differs from the file's " +
                                     (actual.empty() ? std::string("(none)") : actual) +
                                     ": the file is reinstalled every time or never replaced");
    }
  }

  void CheckImage() {
    const Line* line = Find("BOOTSETUP", "ImageFile");
    if (line == nullptr || line->value.empty()) return;
    const std::string name = boot::GetField(line->value, 1, ';');
    const bool icon = boot::ParseLeadingInt(boot::GetField(line->value, 2, ';')) != 0;
    if (name.empty() || !boot::IsRelativePath(name)) {
      Report(*line, true, "ImageFile \"" + name + "\" must name a file below the media folder");
      return;
    }
    const std::optional<std::string> content = Expanded({Disk(1) / (name.substr(0, name.size() - 1) + "_")});
    if (!content) {
      Report(*line, true, "ImageFile: " + name.substr(0, name.size() - 1) + "_ is not on disk 1");
      return;
    }
    if (const std::string problem = ImageProblem(*content, icon); !problem.empty()) {
      Report(*line, true, "ImageFile " + problem);
      return;
    }
    if (icon) return;
    const image::Bitmap read = image::ReadBitmap(*content);
    const Line* width = Find("BOOTSETUP", "DialogWidth");
    const Line* height = Find("BOOTSETUP", "DialogHeight");
    const int w = width ? boot::ParseLeadingInt(width->value) : kDefaultWidth;
    const int h = height ? boot::ParseLeadingInt(height->value) : kDefaultHeight;
    if (read.dib.width > w || std::abs(read.dib.height) > h) {
      Report(*line, false, "the picture (" + std::to_string(read.dib.width) + " x " +
                                      std::to_string(std::abs(read.dib.height)) + ") is larger than the window (" +
                                      std::to_string(w) + " x " + std::to_string(h) + ") and is cut");
    }
  }

  fs::path dir_;
  bool disks_;
  std::string program_;
  std::string settingsName_;  // the program's own list
  std::string subDir_;  // FileSubDir, with "/"
  bool oneFile_ = true;  // the program's list is SETUP.LST itself
  std::string listName_;  // as diagnostics name it
  std::optional<std::string> listText_;
  profile::Document settingsDocument_{std::nullopt}, listDocument_{std::nullopt};
  Sections settings_, list_;
  boot::ListMode mode_ = boot::ListMode::kPlain;  // VBCompatible
  boot::ListMode form_ = boot::ListMode::kOwn;  // as the program settles it
  std::string plainList_;        // the names of a plain list joined by ";"
  std::vector<Entry> entries_;
  Machine machine_;
  std::vector<std::string> ownFiles_;  // on machine_
  std::vector<Diagnostic> diagnostics_;
};

}  // namespace

std::string Diagnostic::Format() const {
  return file + (line == 0 ? "" : ":" + std::to_string(line)) + ": " + (error ? "error" : "warning") + ": " + text;
}

std::vector<Diagnostic> Lint(const fs::path& dir, const std::string& program) { return Linter(dir, program).Run(); }

ListReading ReadList(const fs::path& dir, const std::string& program) { return Linter(dir, program).Read(); }

}  // namespace media
