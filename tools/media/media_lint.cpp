#include "media_lint.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "file_names.h"
#include "image_files.h"
#include "media_build.h"
#include "manifest_check.h"
#include "nearest_name.h"
#include "pe_version.h"
#include "settings.h"
#include "string_table.h"
#include "szdd.h"
#include "text.h"

namespace media {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPlainLineBytes = 20;  // a plain list's line with its break
constexpr int kAllVersions = 31;              // the five version classes
constexpr int kDefaultWidth = 300;
constexpr int kDefaultHeight = 150;

struct Line {
  std::string file;  // as diagnostics name it
  int number = 0;
  std::string key;
  std::string value;
};

// The lines of an INI file by section (upper case), with their numbers.
using Sections = std::map<std::string, std::vector<Line>>;

// Section headers without their "]" are kept under this name, which no
// section can have. The profile reader takes the rest of such a line as
// the section's name, so a header cut short still opens a section, but
// another reader of the list may see none.
const std::string kBrokenSection = "[";

Sections ParseIni(const std::string& text, const std::string& file, bool& hasSections) {
  Sections sections;
  std::string section;
  int number = 0;
  std::size_t start = 0;
  hasSections = false;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number;
    start = end + 1;
    if (line.starts_with("[") && line.find(']') != std::string::npos) {
      section = boot::ToUpperAscii(line.substr(1, line.find(']') - 1));
      hasSections = true;
    } else if (line.starts_with("[")) {
      const std::size_t last = line.find_last_not_of(" \t");
      section = boot::ToUpperAscii(line.substr(1, last == 0 ? 0 : last));
      hasSections = true;
      sections[kBrokenSection].push_back({file, number, line, ""});
    } else if (const std::size_t equals = line.find('='); equals != std::string::npos && !section.empty()) {
      sections[section].push_back({file, number, line.substr(0, equals), line.substr(equals + 1)});
    }
  }
  return sections;
}

// What the bootstrapper's plain-list scan decides: every line but the last
// fits in 20 bytes with its break.
bool ScannedAsPlain(const std::string& text) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) return true;
    if (end + 1 - start > kPlainLineBytes) return false;
    start = end + 1;
  }
}

std::optional<std::string> ReadBytes(const fs::path& path) {
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
    CheckSectionedEntries();
    CheckRecords();
    CheckImage();
    return std::move(diagnostics_);
  }

 private:
  // The program's own list beside it holds the settings; SETUP.LST in the
  // source directory (FileSubDir below the program's) holds the files.
  // False when neither is there or the source directory is outside.
  bool ReadLists() {
    const std::string firstDisk = disks_ ? "DISK1/" : "";
    const std::string settingsName = fs::path(program_).replace_extension(".LST").string();
    const std::optional<std::string> settingsText = ReadBytes(Disk(1) / settingsName);
    bool settingsHaveSections = false;
    if (settingsText) settings_ = ParseIni(*settingsText, firstDisk + settingsName, settingsHaveSections);
    if (const Line* sub = Find("BOOTSETUP", "FileSubDir"); sub != nullptr && sub->value.size() > 1) {
      if (!boot::IsRelativePath(sub->value)) {
        Report(*sub, true, "FileSubDir \"" + sub->value + "\" must name a folder below the program's");
        return false;
      }
      subDir_ = sub->value;
      std::replace(subDir_.begin(), subDir_.end(), '\\', '/');
    }
    const std::string listName = firstDisk + (subDir_.empty() ? "" : subDir_ + "/") + "SETUP.LST";
    oneFile_ = listName == firstDisk + settingsName;
    const std::optional<std::string> text = oneFile_ ? settingsText : ReadBytes(Disk(1) / "SETUP.LST");
    if (!text && !settingsText) {
      diagnostics_.push_back({listName, 0, true, "missing: the bootstrapper has nothing to read"});
      return false;
    }
    if (text) {
      bool hasSections = settingsHaveSections;
      list_ = oneFile_ ? settings_ : ParseIni(*text, listName, hasSections);
      CheckMode(*text, listName, hasSections);
    }
    return true;
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

  void CheckMode(const std::string& text, const std::string& name, bool hasSections) {
    const Line* mode = Find("BOOTSETUP", "VBCompatible");
    if (mode != nullptr && boot::ParseLeadingInt(mode->value) != 3) return;
    if (hasSections && ScannedAsPlain(text)) {
      diagnostics_.push_back({name, 1, true,
                              "every line is short, so the list is read as a plain list of file names although it "
                              "has sections; set VBCompatible=4 or 0"});
    } else if (!hasSections && !ScannedAsPlain(text)) {
      diagnostics_.push_back(
          {name, 1, true, "a line longer than 18 characters makes this plain list count as a sectioned one"});
    }
  }

  // Capacities in characters that the bootstrapper keeps, by key.
  static std::size_t Capacity(const std::string& key) {
    const std::string upper = boot::ToUpperAscii(key);
    if (upper == "DIALOGTITLE" || upper.starts_with("DIALOGMESSAGE")) return 59;
    if (upper.starts_with("ERRORMESSAGEREQUIRES")) return 99;
    if (upper.starts_with("ERRORMESSAGE")) return 159;
    if (upper == "SETUPFILENAME" || upper == "SETUPDISTNAME") return 14;
    if (upper == "TEMPDIR" || upper.starts_with("REQUIRES") || upper == "SETUP") return 19;
    if (upper == "IMAGEFILE") return 39;
    if (upper == "EXCLUDEWINOS") return 34;
    if (upper.starts_with("FILE")) return 39;  // a record of the list's record form
    return 0;
  }

  void CheckHeaders(const Sections& sections) {
    const auto broken = sections.find(kBrokenSection);
    if (broken == sections.end()) return;
    for (const Line& line : broken->second) {
      Report(line, true, "the section header " + line.key + " has no closing \"]\"");
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
      if (section == kBrokenSection) continue;
      for (const Line& line : lines) {
        if (line.value.find('|') != std::string::npos) {
          Report(line, true, line.key + ": a \"|\" splits the bootstrapper's text and shifts every later value");
        }
        const std::size_t capacity = section == "BOOTSTRAP" ? 99 : Capacity(line.key);
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

  void CheckSectionedEntries() {
    if (!list_.contains("BOOTSTRAP")) return;
    const Line* setup = Find("SETUP", "Setup");
    const std::string program = setup ? boot::ToUpperAscii(boot::GetField(setup->value, 1, ' ')) : std::string();
    bool programInstalled = false;
    const Line* tempDir = Find("BOOTSETUP", "UseTempDir");
    const bool usesTempDir = tempDir != nullptr && boot::ParseLeadingInt(tempDir->value) == 1;
    std::vector<fs::path> parts;
    for (int n = 1;; ++n) {
      const Line* line = Find("BOOTSTRAP", "File" + std::to_string(n));
      if (line == nullptr) break;
      const auto field = [line](int k) { return boot::GetField(line->value, k, ','); };
      const std::string source = field(3), dest = boot::ToUpperAscii(field(4));
      for (const std::string& name : {source, dest}) {
        if (!name.empty() && !boot::IsPlainFileName(name)) {
          Report(*line, true, "\"" + name + "\" is not a plain file name and the entry is refused");
        }
      }
      const std::optional<fs::path> path = Source(*line, boot::ParseLeadingInt(field(1)), source, dest);
      if (path) parts.push_back(*path);
      const bool splitFollows = !field(2).empty();
      if (splitFollows && Find("BOOTSTRAP", "File" + std::to_string(n + 1)) == nullptr) {
        Report(*line, true, "the split mark has no second part after it");
      }
      if (splitFollows) continue;
      if (usesTempDir && dest != program && boot::ToUpperAscii(field(5)).starts_with("$(WINPATH)")) {
        Report(*line, false, dest + " goes into the temporary directory and is never deleted: the "
                                    "directory cannot be removed (use $(WinSysPath))");
      }
      programInstalled = programInstalled || dest == program;
      CheckVersion(*line, field(10), parts, dest == program);
      parts.clear();
    }
    if (setup != nullptr && !programInstalled) {
      Report(*setup, true, "the main setup program " + program + " is installed by no [Bootstrap] entry");
    }
  }

  // The record form (VBCompatible other than 3 and 4): the main setup
  // program by SetupDistName, each other file by a [BootSetup] FileN record
  // DEST;SKIP;DESTCODE;VERSION;DISK;SOURCE;REGISTER;SECOND;SECONDDISK.
  void CheckRecords() {
    const Line* mode = Find("BOOTSETUP", "VBCompatible");
    const int form = mode ? boot::ParseLeadingInt(mode->value) : 3;
    if (form == 3 || form == 4) return;
    const Line* program = Find("BOOTSETUP", "SetupDistName");
    const std::string distName = program ? program->value : "SETUP1.EX_";
    if (program != nullptr && boot::IsPlainFileName(distName)) {
      if (const auto path = Source(*program, 1, distName, "")) CheckVersion(*program, "", {*path}, true);
    }
    for (int n = 1;; ++n) {
      const Line* line = Find("BOOTSETUP", "File" + std::to_string(n));
      if (line == nullptr || line->value.size() <= 1) break;
      const auto field = [line](int k) { return boot::GetField(line->value, k, ';'); };
      const std::string dest = boot::ToUpperAscii(field(1)), second = field(8);
      std::string source = field(6);
      if (source.empty() && !dest.empty()) source = dest.substr(0, dest.size() - 1) + "_";
      if (!boot::IsPlainFileName(dest) || !boot::IsPlainFileName(source)) {
        Report(*line, true, "\"" + line->value + "\" does not name plain files and is refused");
        continue;
      }
      // A record without a disk number is looked for where the run started.
      std::vector<fs::path> parts;
      if (auto path = Source(*line, std::max(1, boot::ParseLeadingInt(field(5))), source, dest)) parts.push_back(*path);
      if (second.size() >= 2) {
        auto path = Source(*line, std::max(1, boot::ParseLeadingInt(field(9))), second, dest);
        if (path) parts.push_back(*path);
        if (parts.size() != 2) continue;
      }
      CheckVersion(*line, field(4), parts, false);
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
  std::string subDir_;  // FileSubDir, with "/"
  bool oneFile_ = true;  // the program's list is SETUP.LST itself
  Sections settings_, list_;
  std::vector<Diagnostic> diagnostics_;
};

}  // namespace

std::string Diagnostic::Format() const {
  return file + (line == 0 ? "" : ":" + std::to_string(line)) + ": " + (error ? "error" : "warning") + ": " + text;
}

std::vector<Diagnostic> Lint(const fs::path& dir, const std::string& program) { return Linter(dir, program).Run(); }

}  // namespace media
