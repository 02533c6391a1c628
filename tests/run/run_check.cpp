#include "run_check.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>

#include "szdd.h"
#include "text.h"

namespace fs = std::filesystem;

namespace runcheck {
namespace {

constexpr char kUnexpectedBox[] = "unexpected box: ";

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool IsDriveFolder(const fs::path& name) {
  const std::string text = name.string();
  return text.size() == 1 && std::isalpha(static_cast<unsigned char>(text[0]));
}

// "c/WINDOWS/WIN.INI" below the root becomes "C:\WINDOWS\WIN.INI".
std::string KeyOf(const fs::path& root, const fs::path& path) {
  const fs::path relative = path.lexically_relative(root);
  auto part = relative.begin();
  if (part == relative.end()) return {};
  std::string key = part->string() + ":\\";
  for (++part; part != relative.end(); ++part) {
    if (key.back() != '\\') key += '\\';
    key += part->string();
  }
  return boot::ToUpperAscii(key);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// "X.EXE~" or "X.EXE~12": a copy that was never put in place.
bool IsStagingName(const std::string& path) {
  const std::size_t tilde = path.rfind('~');
  if (tilde == std::string::npos || path.find('\\', tilde) != std::string::npos) return false;
  return std::all_of(path.begin() + static_cast<std::ptrdiff_t>(tilde) + 1, path.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The text of a profile file cut before each line that opens a section.
std::vector<std::string> Sections(const std::string& text) {
  std::vector<std::string> sections;
  std::size_t start = 0;
  for (std::size_t at = text.find("\n["); at != std::string::npos; at = text.find("\n[", at + 1)) {
    sections.push_back(text.substr(start, at + 1 - start));
    start = at + 1;
  }
  sections.push_back(text.substr(start));
  return sections;
}

class Checker {
 public:
  Checker(const Snapshot& before, const Outcome& after, const Rules& rules)
      : before_(before), after_(after), rules_(rules), now_(TakeSnapshot(after.root)) {}

  std::vector<std::string> Run() {
    CollectCopies();
    ReadLog();
    CheckEnd();
    ReadJournal();
    CheckOldFiles();
    CheckNewFiles();
    CheckDirectories();
    CheckLoggedCopies();
    return std::move(problems_);
  }

 private:
  std::string Key(const std::string& windowsPath) const {
    return KeyOf(after_.root, after_.machine.Resolve(windowsPath));
  }

  void Problem(const std::string& text) { problems_.push_back(text); }

  void AddExpansion(const std::string& content) {
    szdd::Expansion expansion = szdd::Expand(content);
    if (expansion.complete) copies_.insert(std::move(expansion.data));
  }

  // Every complete expansion of a media file, or of two joined as the
  // parts of a split file, as the media were before; and what a join file
  // holds: parts as they are on the media.
  void CollectCopies() {
    std::string media = boot::ToUpperAscii(rules_.media);
    if (!media.empty() && media.back() != '\\') media += '\\';
    std::vector<const std::string*> parts;
    for (const auto& [path, content] : before_.files) {
      if (path.starts_with(media)) parts.push_back(&content);
    }
    for (const std::string* first : parts) {
      AddExpansion(*first);
      joins_.insert(*first);
      for (const std::string* second : parts) {
        AddExpansion(*first + *second);
        joins_.insert(*first + *second);
      }
    }
  }

  void ReadLog() {
    const std::optional<host::HostMachine::Section> section = after_.machine.LastWrittenSection();
    if (!section) return;
    logKey_ = Key(section->file);
    log_ = section->entries;
  }

  bool Logged(const std::string& key, const std::string& value) const {
    return std::find(log_.begin(), log_.end(), std::pair(key, value)) != log_.end();
  }

  void CheckEnd() {
    if (after_.exitCode != 0) Problem("the run ended with exit code " + std::to_string(after_.exitCode));
    for (const std::string& error : after_.machine.Errors()) {
      if (rules_.boxesMayGoUnanswered && error.starts_with(kUnexpectedBox)) continue;
      Problem("the machine reports: " + error);
    }
  }

  // Paths of journal lines "VERB PATH", "VERB PATH failed" and a protected
  // directory's "mkdir PATH protected: ...".
  static std::optional<std::pair<std::string, bool>> Act(const std::string& line, const std::string& verb) {
    if (!line.starts_with(verb + " ")) return std::nullopt;
    // A painting object's deletion shares the verb.
    if (line.starts_with("delete object ")) return std::nullopt;
    std::string path = line.substr(verb.size() + 1);
    const bool failed = EndsWith(path, " failed");
    if (failed) path.resize(path.size() - 7);
    if (const std::size_t note = path.find(" protected: "); note != std::string::npos) path.resize(note);
    return std::pair(path, failed);
  }

  void ReadJournal() {
    for (const std::string& line : after_.machine.Journal()) {
      if (const auto write = Act(line, "write")) written_.insert(Key(write->first));
      if (const auto del = Act(line, "delete")) NoteDelete(Key(del->first));
      if (const auto made = Act(line, "mkdir"); made && !made->second) made_.insert(Key(made->first));
      const auto removed = Act(line, "rmdir");
      if (removed && !removed->second && before_.directories.contains(Key(removed->first))) {
        Problem("removed " + removed->first + ", a directory that was there before the run");
      }
    }
  }

  // The host journals no line when a staging copy is created, so a file
  // that was not there before the run is the run's own to delete.
  void NoteDelete(const std::string& key) {
    deleted_.insert(key);
    if (written_.contains(key)) {
      deletedAfterWrite_.insert(key);
    } else if (before_.files.contains(key)) {
      Problem("deleted " + key + ", which was there before the run and which the run had not written");
    }
  }

  bool IsCopy(const std::string& key, const std::string& content) const {
    return copies_.contains(content) || (key.find("\\SETUP000.") != std::string::npos && joins_.contains(content));
  }

  void CheckOldFiles() {
    for (const auto& [key, content] : before_.files) {
      const auto now = now_.files.find(key);
      if (now == now_.files.end()) {
        if (!deleted_.contains(key)) Problem(key + " was there before the run and is gone");
      } else if (key == logKey_) {
        CheckLogKeptEarlierSections(key, content, now->second);
      } else if (now->second != content) {
        CheckRewritten(key, now->second, "changed");
      }
    }
  }

  void CheckLogKeptEarlierSections(const std::string& key, const std::string& old, const std::string& now) {
    for (const std::string& section : Sections(old)) {
      if (now.find(section) == std::string::npos) {
        Problem("the log " + key + " no longer holds its earlier text \"" + section + "\"");
      }
    }
  }

  // A file the run made or replaced holds a whole copy of a media file.
  void CheckRewritten(const std::string& key, const std::string& content, const std::string& what) {
    if (!written_.contains(key)) Problem(key + " " + what + ", but the journal shows no write of it");
    if (!IsCopy(key, content)) Problem(key + " " + what + " to content that is no complete copy of a media file");
  }

  void CheckNewFiles() {
    for (const auto& [key, content] : now_.files) {
      if (before_.files.contains(key) || key == logKey_) continue;
      // Staging copies are made without a journal line; a placed file may
      // still have such a name.
      if (IsStagingName(key) && !written_.contains(key)) {
        Problem("a staging copy is left behind: " + key);
      } else {
        CheckRewritten(key, content, "is new");
      }
    }
  }

  // The box for a temporary directory that could not be removed; the log
  // may be a file that cannot be written.
  bool ToldTempDirStays() const {
    const std::vector<std::string>& journal = after_.machine.Journal();
    return std::any_of(journal.begin(), journal.end(), [](const std::string& line) {
      return line.starts_with("box \"Unable to delete the temporary directory:");
    });
  }

  // A run whose splash window cannot be created ends before its clean-up
  // and keeps the temporary directory it made, as described.
  bool EndedWithoutWindow() const {
    const std::vector<std::string>& journal = after_.machine.Journal();
    return std::none_of(journal.begin(), journal.end(), [](const std::string& line) {
      return line.starts_with("window ") && !EndsWith(line, " failed");
    });
  }

  void CheckDirectories() {
    for (const std::string& key : before_.directories) {
      if (!now_.directories.contains(key)) {
        Problem("the directory " + key + " was there before the run and is gone");
      }
    }
    for (const std::string& key : now_.directories) {
      if (before_.directories.contains(key)) continue;
      if (!made_.contains(key)) {
        Problem("the directory " + key + " is new, but the journal shows no mkdir of it");
      } else if (!Logged("DT", "0") && !ToldTempDirStays() && !EndedWithoutWindow()) {
        Problem("the run left its directory " + key + " behind without telling the user or the log");
      }
    }
  }

  // Keys that name a file by its full path: the entries of copies.
  static bool IsFullPath(const std::string& key) {
    return key.size() > 3 && std::isalpha(static_cast<unsigned char>(key[0])) && key.substr(1, 2) == ":\\";
  }

  void CheckLoggedCopies() {
    for (const auto& [path, value] : log_) {
      if (value != "101" || !IsFullPath(path)) continue;
      const std::string key = Key(path);
      const auto now = now_.files.find(key);
      if (now != now_.files.end() ? !IsCopy(key, now->second) : !deletedAfterWrite_.contains(key)) {
        Problem("the log says " + path + "=101, but the file holds no complete copy of a media file");
      }
    }
  }

  const Snapshot& before_;
  const Outcome& after_;
  const Rules& rules_;
  const Snapshot now_;
  std::set<std::string> copies_, joins_;
  std::string logKey_;
  std::vector<std::pair<std::string, std::string>> log_;
  std::set<std::string> written_, deleted_, deletedAfterWrite_, made_;
  std::vector<std::string> problems_;
};

}  // namespace

Snapshot TakeSnapshot(const fs::path& root) {
  Snapshot snapshot;
  std::error_code error;
  for (const fs::directory_entry& drive : fs::directory_iterator(root, error)) {
    if (!drive.is_directory() || !IsDriveFolder(drive.path().filename())) continue;
    snapshot.directories.insert(KeyOf(root, drive.path()));
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(drive.path(), error)) {
      if (entry.is_directory()) {
        snapshot.directories.insert(KeyOf(root, entry.path()));
      } else {
        snapshot.files[KeyOf(root, entry.path())] = Contents(entry.path());
      }
    }
  }
  return snapshot;
}

std::vector<std::string> CheckRun(const Snapshot& before, const Outcome& after, const Rules& rules) {
  return Checker(before, after, rules).Run();
}

}  // namespace runcheck
