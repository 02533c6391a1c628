#include "host_machine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "text.h"
#include "szdd.h"
#include "constants.h"
#include "profile_text.h"
#include "string_table.h"

namespace fs = std::filesystem;

namespace host {
namespace {

constexpr char kMachineSection[] = "Machine";

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> items;
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, separator)) {
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

std::optional<std::string> ReadHostFile(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool IsWritable(const fs::path& path) {
  std::error_code error;
  const fs::perms perms = fs::status(path, error).permissions();
  return error || (perms & fs::perms::owner_write) != fs::perms::none;
}

std::uint32_t VersionNumber(const std::string& text, bool nt, std::uint32_t build) {
  unsigned major = 0, minor = 0;
  std::sscanf(text.c_str(), "%u.%u", &major, &minor);
  const std::uint32_t low = (major & 0xFF) | ((minor & 0xFF) << 8);
  return nt ? low | ((build & 0x7FFF) << 16) : low | 0x80000000u;
}

platform::SystemTime ParseClock(const std::string& text) {
  platform::SystemTime time;
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &time.year, &time.month, &time.day, &time.hour,
              &time.minute, &time.second);
  return time;
}

}  // namespace

HostMachine::HostMachine(fs::path root) : root_(std::move(root)) { LoadDescription(); }

std::string HostMachine::Setting(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  return profile::ReadString(description_, section, key, fallback, 4096);
}

void HostMachine::LoadDescription() {
  description_ = ReadHostFile(root_ / "machine.ini").value_or("");
  winDir_ = Setting(kMachineSection, "WindowsDirectory", "C:\\WINDOWS");
  sysDir_ = Setting(kMachineSection, "SystemDirectory", "C:\\WINDOWS\\SYSTEM");
  const bool nt = boot::ToUpperAscii(Setting(kMachineSection, "Family", "9x")) == "NT";
  version_ = VersionNumber(Setting(kMachineSection, "Version", "4.0"), nt,
                           profile::ReadInt(description_, kMachineSection, "Build", 950));
  const std::string caps = Setting(kMachineSection, "NetworkCaps", "");
  if (!caps.empty()) networkCaps_ = static_cast<std::uint16_t>(std::strtoul(caps.c_str(), nullptr, 0));
  clock_ = ParseClock(Setting(kMachineSection, "Clock", "2026-12-06 14:08:30"));
  program_ = Setting(kMachineSection, "Program", "D:\\SETUP.EXE");
  commandLine_ = Setting(kMachineSection, "CommandLine", "");
  currentDir_ = Setting(kMachineSection, "CurrentDirectory", "C:\\");
  runTicks_ = static_cast<int>(profile::ReadInt(description_, "Processes", "RunTicks", 2));
  for (const std::string& answer : SplitList(Setting("Boxes", "Answers", ""), ',')) {
    answers_.push_back(static_cast<int>(std::strtol(answer.c_str(), nullptr, 10)));
  }
  inUse_ = SplitList(boot::ToUpperAscii(Setting("Files", "InUse", "")), ';');
  // Every machine has these; a description need not lay them out.
  std::error_code error;
  fs::create_directories(Resolve(winDir_), error);
  fs::create_directories(Resolve(sysDir_), error);
  libraries_ = SplitList(boot::ToUpperAscii(Setting("Libraries", "Present", "")), ';');
  windowFails_ = profile::ReadInt(description_, "Windows", "CreateFails", 0) == 1;
  timerFails_ = profile::ReadInt(description_, "Windows", "TimerFails", 0) == 1;
}

void HostMachine::Fail(const std::string& line) {
  errors_.push_back(line);
  Note("ERROR " + line);
}

std::string HostMachine::Absolute(const std::string& windowsPath) const {
  std::string path = windowsPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.size() >= 2 && path[1] == ':') {
    if (path.size() == 2 || path[2] != '\\') path.insert(2, "\\");
    return path;
  }
  if (!path.empty() && path[0] == '\\') return currentDir_.substr(0, 2) + path;
  std::string base = currentDir_;
  if (base.empty() || base.back() != '\\') base += '\\';
  return base + path;
}

fs::path HostMachine::Resolve(const std::string& windowsPath) const {
  const std::string path = Absolute(windowsPath);
  fs::path result = root_ / std::string(1, static_cast<char>(std::tolower(path[0])));
  std::vector<std::string> parts;
  for (const std::string& part : SplitList(path.substr(2), '\\')) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  for (const std::string& part : parts) {
    std::error_code error;
    fs::path next = result / part;
    if (!fs::exists(next, error) && fs::is_directory(result, error)) {
      for (const auto& entry : fs::directory_iterator(result, error)) {
        if (boot::ToUpperAscii(entry.path().filename().string()) == boot::ToUpperAscii(part)) {
          next = entry.path();
          break;
        }
      }
    }
    result = next;
  }
  return result;
}

std::string HostMachine::ProfilePath(const std::string& file) const {
  if (file.find_first_of("\\/") == std::string::npos && file.find(':') == std::string::npos) {
    return winDir_ + "\\" + file;
  }
  return file;
}

std::string HostMachine::ReadProfileString(const std::string& section, const std::string& key,
                                           const std::string& defaultText, std::size_t capacity,
                                           const std::string& file) {
  return profile::ReadString(ReadHostFile(Resolve(ProfilePath(file))), section, key, defaultText,
                             capacity);
}

std::uint32_t HostMachine::ReadProfileInt(const std::string& section, const std::string& key,
                                          int defaultValue, const std::string& file) {
  return profile::ReadInt(ReadHostFile(Resolve(ProfilePath(file))), section, key, defaultValue);
}

bool HostMachine::WriteProfileString(const std::string& section, const std::string& key,
                                     const std::string& value, const std::string& file) {
  const std::string path = ProfilePath(file);
  const std::string text = profile::WriteString(ReadHostFile(Resolve(path)), section, key, value);
  lastWrite_.emplace(path, section);
  return WriteWholeFile(path, text);
}

std::optional<HostMachine::Section> HostMachine::LastWrittenSection() const {
  if (!lastWrite_) return std::nullopt;
  const std::optional<std::string> text = ReadHostFile(Resolve(lastWrite_->first));
  if (!text) return std::nullopt;
  Section section{lastWrite_->first, lastWrite_->second, {}};
  std::istringstream lines(*text);
  std::string line;
  bool inside = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inside = boot::ToUpperAscii(line) == "[" + boot::ToUpperAscii(section.name) + "]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (inside && equals != std::string::npos) {
      section.entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
  }
  return section;
}

std::string HostMachine::LoadString(platform::Instance, int id, std::size_t capacity) {
  std::string text = resources::LookUpString(id).value_or("");
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

std::string HostMachine::ModuleFileName(std::size_t capacity) {
  std::string path = program_;
  if (capacity > 0 && path.size() > capacity - 1) path.resize(capacity - 1);
  return path;
}

std::optional<std::uint16_t> HostMachine::NetworkCaps(int index) {
  Note("call WNetGetCaps(" + std::to_string(index) + ")" + (networkCaps_ ? "" : " missing"));
  return networkCaps_;
}

bool HostMachine::CreateDirectory(const std::string& path) {
  const fs::path target = Resolve(path);
  std::error_code error;
  const bool made = fs::is_directory(target.parent_path(), error) && fs::create_directory(target, error);
  Note("mkdir " + path + (made ? "" : " failed"));
  lastError_ = made ? 0 : platform::kErrorPathNotFound;
  return made;
}

bool HostMachine::RemoveDirectory(const std::string& path) {
  const fs::path target = Resolve(path);
  std::error_code error;
  const bool removed = fs::is_directory(target, error) && fs::is_empty(target, error) &&
                       fs::remove(target, error);
  Note("rmdir " + path + (removed ? "" : " failed"));
  return removed;
}

bool HostMachine::SetCurrentDirectory(const std::string& path) {
  std::error_code error;
  if (!fs::is_directory(Resolve(path), error)) {
    Note("chdir " + path + " failed");
    return false;
  }
  currentDir_ = Absolute(path);
  Note("chdir " + currentDir_);
  return true;
}

bool HostMachine::SetCurrentDrive(int drive) {
  if (drive < 1 || drive > 26) return false;
  const char letter = static_cast<char>('A' + drive - 1);
  if (boot::ToUpperAscii(currentDir_.substr(0, 1)) != std::string(1, letter)) {
    currentDir_ = std::string(1, letter) + ":\\";
  }
  Note(std::string("drive ") + letter + ":");
  return true;
}

bool HostMachine::FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(Resolve(path), error);
}

bool HostMachine::IsInUse(const std::string& path) const {
  return std::find(inUse_.begin(), inUse_.end(), boot::ToUpperAscii(Absolute(path))) != inUse_.end();
}

bool HostMachine::DeleteFile(const std::string& path) {
  if (!FileExists(path) || IsInUse(path)) return false;
  std::error_code error;
  const bool removed = fs::remove(Resolve(path), error);
  if (removed) Note("delete " + path);
  return removed;
}

std::optional<std::string> HostMachine::ReadFile(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return ReadHostFile(Resolve(path));
}

bool HostMachine::WriteWholeFile(const std::string& path, const std::string& content) {
  const fs::path target = Resolve(path);
  std::error_code error;
  if (!fs::is_directory(target.parent_path(), error) || fs::is_directory(target, error) ||
      IsInUse(path) || (fs::exists(target, error) && !IsWritable(target))) {
    return false;
  }
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

bool HostMachine::ReplaceFile(const std::string& from, const std::string& to) {
  const fs::path target = Resolve(to);
  std::error_code error;
  if (!FileExists(from) || IsInUse(to) || fs::is_directory(target, error) ||
      (fs::exists(target, error) && !IsWritable(target))) {
    return false;
  }
  fs::rename(Resolve(from), target, error);
  if (!error) Note("write " + to);
  return !error;
}

platform::File HostMachine::OpenForRead(const std::string& path) {
  std::optional<std::string> content = ReadFile(path);
  if (!content) {
    lastError_ = platform::kErrorFileNotFound;
    return 0;
  }
  files_[nextFile_] = {path, std::move(*content), 0, false};
  return nextFile_++;
}

platform::File HostMachine::CreateForWrite(const std::string& path) {
  if (!WriteWholeFile(path, "")) {
    lastError_ = platform::kErrorPathNotFound;
    return 0;
  }
  files_[nextFile_] = {path, {}, 0, true};
  Note("write " + path);
  return nextFile_++;
}

std::optional<std::string> HostMachine::ReadBytes(platform::File file, std::size_t count) {
  const auto found = files_.find(file);
  if (found == files_.end() || found->second.forWriting) return std::nullopt;
  PieceFile& piece = found->second;
  std::string bytes = piece.content.substr(std::min(piece.offset, piece.content.size()), count);
  piece.offset += bytes.size();
  return bytes;
}

bool HostMachine::WriteBytes(platform::File file, const std::string& bytes) {
  const auto found = files_.find(file);
  if (found == files_.end() || !found->second.forWriting) return false;
  std::ofstream out(Resolve(found->second.path), std::ios::binary | std::ios::app);
  out << bytes;
  return static_cast<bool>(out);
}

void HostMachine::CloseFile(platform::File file) { files_.erase(file); }

std::optional<platform::SystemTime> HostMachine::LastWriteTime(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  std::error_code error;
  const auto written = fs::last_write_time(Resolve(path), error);
  if (error) return std::nullopt;
  const auto since = std::chrono::file_clock::to_sys(written);
  const auto days = std::chrono::floor<std::chrono::days>(since);
  const std::chrono::year_month_day date(days);
  const std::chrono::hh_mm_ss time(std::chrono::floor<std::chrono::seconds>(since - days));
  return platform::SystemTime{static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
                              static_cast<int>(unsigned(date.day())), static_cast<int>(time.hours().count()),
                              static_cast<int>(time.minutes().count()),
                              static_cast<int>(time.seconds().count())};
}

platform::LzFile HostMachine::LzOpenRead(const std::string& path) {
  std::string opened = path;
  if (!FileExists(opened)) opened = szdd::TwinName(path);
  if (!FileExists(opened)) {
    lastError_ = platform::kErrorFileNotFound;
    return platform::kLzErrorBadInHandle;
  }
  lzFiles_[nextLz_] = {opened, false};
  return nextLz_++;
}

platform::LzFile HostMachine::LzCreate(const std::string& path) {
  if (!WriteWholeFile(path, "")) {
    lastError_ = platform::kErrorPathNotFound;
    return platform::kLzErrorBadInHandle;
  }
  lzFiles_[nextLz_] = {path, true};
  return nextLz_++;
}

std::int64_t HostMachine::LzCopy(platform::LzFile source, platform::LzFile destination) {
  const auto in = lzFiles_.find(source);
  const auto out = lzFiles_.find(destination);
  if (in == lzFiles_.end() || in->second.forWriting) return platform::kLzErrorBadInHandle;
  if (out == lzFiles_.end() || !out->second.forWriting) return platform::kLzErrorBadOutHandle;
  const std::optional<std::string> content = ReadFile(in->second.path);
  if (!content) return platform::kLzErrorRead;
  const szdd::Expansion expansion = szdd::Expand(*content);
  if (!expansion.complete) return platform::kLzErrorRead;
  if (!WriteWholeFile(out->second.path, expansion.data)) return platform::kLzErrorWrite;
  return static_cast<std::int64_t>(expansion.data.size());
}

void HostMachine::LzClose(platform::LzFile file) { lzFiles_.erase(file); }

std::optional<std::string> HostMachine::ExpandedName(const std::string& path) {
  const std::optional<std::string> content = ReadFile(path);
  if (!content) return std::nullopt;
  return szdd::ExpandedName(path, *content);
}

}  // namespace host
