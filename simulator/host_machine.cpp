#include "host_machine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <system_error>

#include "text.h"
#include "constants.h"
#include "string_table.h"
#include "tree_io.h"

namespace fs = std::filesystem;

namespace host {
namespace {

constexpr char kMachineSection[] = "Machine";
// The platform's file calls take a path of up to MAX_PATH characters as
// text; a longer one is refused before it is looked at.
constexpr std::size_t kLongestPath = 260;

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> items;
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, separator)) {
    item.erase(0, item.find_first_not_of(' '));
    item.erase(item.find_last_not_of(' ') + 1);
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string DriveLetters(const std::string& list) {
  std::string letters;
  for (const std::string& item : SplitList(list, ';')) letters += Upper(item[0]);
  return letters;
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

bool IsDrivePath(const std::string& path) {
  return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
}

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, in any case and with any
// extension, name devices wherever they stand.
bool IsDeviceName(const std::string& name) {
  std::string base = boot::ToUpperAscii(name.substr(0, name.find_first_of(".:")));
  base.erase(base.find_last_not_of(' ') + 1);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

// The components below the drive: "." dropped, ".." never above the root,
// trailing dots and spaces cut, as Windows reads names.
std::vector<std::string> Components(const std::string& absolute) {
  std::vector<std::string> parts;
  for (std::string part : SplitList(absolute.substr(2), '\\')) {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    part.erase(part.find_last_not_of(". ") + 1);
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

// A name within a directory of the tree, matched without regard to case.
fs::path Child(const fs::path& directory, const std::string& name) {
  std::error_code error;
  const fs::path exact = directory / name;
  if (fs::exists(exact, error) || !fs::is_directory(directory, error)) return exact;
  const std::string wanted = boot::ToUpperAscii(name);
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    if (boot::ToUpperAscii(entry.path().filename().string()) == wanted) return entry.path();
  }
  return exact;
}

std::string Joined(std::string directory, const std::string& name) {
  if (directory.empty() || directory.back() != '\\') directory += '\\';
  return directory + name;
}

const char* TrusteeName(platform::Trustee who) {
  switch (who) {
    case platform::Trustee::kAdministrators: return "Administrators";
    case platform::Trustee::kSystem: return "SYSTEM";
    case platform::Trustee::kCreatingUser: return "creating user";
    case platform::Trustee::kUsers: return "Users";
  }
  return "?";
}

std::string Described(std::span<const platform::AccessEntry> entries) {
  std::string text;
  for (const platform::AccessEntry& entry : entries) {
    if (!text.empty()) text += "; ";
    text += TrusteeName(entry.who);
    text += entry.rights == platform::Access::kFull ? " full" : " read+execute";
  }
  return text;
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
  nt_ = boot::ToUpperAscii(Setting(kMachineSection, "Family", "9x")) == "NT";
  version_ = VersionNumber(Setting(kMachineSection, "Version", "4.0"), nt_,
                           profile::ReadInt(description_, kMachineSection, "Build", 950));
  const std::string caps = Setting(kMachineSection, "NetworkCaps", "");
  if (!caps.empty()) networkCaps_ = static_cast<std::uint16_t>(std::strtoul(caps.c_str(), nullptr, 0));
  clock_ = ParseClock(Setting(kMachineSection, "Clock", "2026-12-06 14:08:30"));
  program_ = Setting(kMachineSection, "Program", "D:\\SETUP.EXE");
  commandLine_ = Setting(kMachineSection, "CommandLine", "");
  currentDir_ = Setting(kMachineSection, "CurrentDirectory", "C:\\");
  if (!IsDrivePath(currentDir_)) currentDir_ = "C:\\";
  runTicks_ = static_cast<int>(profile::ReadInt(description_, "Processes", "RunTicks", 2));
  for (const std::string& answer : SplitList(Setting("Boxes", "Answers", ""), ',')) {
    answers_.push_back(static_cast<int>(std::strtol(answer.c_str(), nullptr, 10)));
  }
  LoadFaults();
  // Every machine has these; a description need not lay them out.
  std::error_code error;
  fs::create_directories(Resolve(winDir_), error);
  fs::create_directories(Resolve(sysDir_), error);
  libraries_ = SplitList(boot::ToUpperAscii(Setting("Libraries", "Present", "")), ';');
  const std::string diskDrive = Setting("Disks", "Drive", program_.substr(0, 1));
  diskDrive_ = diskDrive.empty() ? 'D' : Upper(diskDrive[0]);
  insertedDisk_ = static_cast<int>(profile::ReadInt(description_, "Disks", "Inserted", 1));
  windowFails_ = profile::ReadInt(description_, "Windows", "CreateFails", 0) == 1;
  timerFails_ = profile::ReadInt(description_, "Windows", "TimerFails", 0) == 1;
}

void HostMachine::LoadFaults() {
  for (const std::string& directory : SplitList(Setting("Drives", "CurrentDirectories", ""), ';')) {
    if (IsDrivePath(directory)) driveDirs_[Upper(directory[0])] = directory;
  }
  const auto files = [this](const std::string& key) {
    std::set<std::string> keys;
    for (const std::string& path : SplitList(Setting("Files", key, ""), ';')) keys.insert(Locate(path).key);
    return keys;
  };
  inUse_ = files("InUse");
  readOnly_ = files("ReadOnly");
  inUseUntilBox_ = profile::ReadInt(description_, "Files", "InUseUntilBox", 0) == 1;
  appearOnBox_ = SplitList(Setting("Files", "AppearOnBox", ""), ';');
  fullDrives_ = DriveLetters(Setting("Drives", "Full", ""));
  protectedDrives_ = DriveLetters(Setting("Drives", "WriteProtected", ""));
}

void HostMachine::Fail(const std::string& line) {
  errors_.push_back(line);
  Note("ERROR " + line);
}

bool HostMachine::Refuse(std::uint32_t error) {
  lastError_ = error;
  return false;
}

std::string HostMachine::DriveDirectory(char drive) const {
  if (Upper(currentDir_[0]) == drive) return currentDir_;
  const auto found = driveDirs_.find(drive);
  return found != driveDirs_.end() ? found->second : std::string(1, drive) + ":\\";
}

std::string HostMachine::Absolute(const std::string& windowsPath) const {
  std::string path = windowsPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.size() >= 2 && path[1] == ':') {
    if (path.size() > 2 && path[2] == '\\') return path;
    // "C:NAME" is NAME in drive C's current directory.
    return Joined(DriveDirectory(Upper(path[0])), path.substr(2));
  }
  if (!path.empty() && path[0] == '\\') return currentDir_.substr(0, 2) + path;
  return Joined(currentDir_, path);
}

HostMachine::Target HostMachine::Locate(const std::string& windowsPath) const {
  const std::string absolute = Absolute(windowsPath);
  Target target;
  target.drive = Upper(absolute[0]);
  target.path = std::string(1, target.drive) + ":";
  target.host = root_ / std::string(1, Lower(absolute[0]));
  const std::vector<std::string> parts = Components(absolute);
  for (const std::string& part : parts) {
    target.path += "\\" + part;
    target.host = Child(target.host, part);
  }
  target.root = parts.empty();
  if (target.root) target.path += "\\";
  target.device = !parts.empty() && IsDeviceName(parts.back());
  target.tooLong = windowsPath.size() > kLongestPath;
  target.key = boot::ToUpperAscii(target.path);
  return target;
}

fs::path HostMachine::Resolve(const std::string& windowsPath) const {
  return Locate(windowsPath).host;
}

std::string HostMachine::LoadString(platform::Instance, int id, std::size_t capacity) {
  std::string text = resources::LookUpString(id).value_or("");
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

std::optional<std::uint16_t> HostMachine::NetworkCaps(int index) {
  Note("call WNetGetCaps(" + std::to_string(index) + ")" + (networkCaps_ ? "" : " missing"));
  return networkCaps_;
}

// --- directories ---------------------------------------------------------------

std::uint32_t HostMachine::MissingError(const Target& target) const {
  std::error_code error;
  return fs::is_directory(target.host.parent_path(), error) ? platform::kErrorFileNotFound
                                                            : platform::kErrorPathNotFound;
}

bool HostMachine::IsWriteProtected(char drive) const {
  return protectedDrives_.find(drive) != std::string::npos;
}

std::uint32_t HostMachine::MakeDirectoryRefusal(const Target& target) const {
  std::error_code error;
  if (target.tooLong) return platform::kErrorFilenameExcedRange;
  if (target.root) {
    return fs::is_directory(target.host, error) ? platform::kErrorAlreadyExists
                                                : platform::kErrorPathNotFound;
  }
  if (!fs::is_directory(target.host.parent_path(), error)) return platform::kErrorPathNotFound;
  if (target.device || fs::exists(target.host, error)) return platform::kErrorAlreadyExists;
  if (IsWriteProtected(target.drive)) return platform::kErrorWriteProtect;
  return 0;
}

std::uint32_t HostMachine::RemoveDirectoryRefusal(const Target& target) const {
  std::error_code error;
  if (target.tooLong) return platform::kErrorFilenameExcedRange;
  if (target.root || target.device) return platform::kErrorAccessDenied;
  if (!fs::exists(target.host, error)) return MissingError(target);
  if (IsWriteProtected(target.drive)) return platform::kErrorWriteProtect;
  if (!fs::is_directory(target.host, error)) return platform::kErrorDirectory;
  // The process holds its current directory open.
  if (target.key == Locate(currentDir_).key) return platform::kErrorSharingViolation;
  if (!fs::is_empty(target.host, error)) return platform::kErrorDirNotEmpty;
  return 0;
}

bool HostMachine::MakeDirectory(const std::string& path, const std::string& note) {
  const Target target = Locate(path);
  std::error_code error;
  std::uint32_t refusal = MakeDirectoryRefusal(target);
  if (refusal == 0 && !fs::create_directory(target.host, error)) refusal = platform::kErrorAccessDenied;
  Note("mkdir " + path + (refusal == 0 ? note : " failed"));
  return refusal == 0 || Refuse(refusal);
}

bool HostMachine::CreateDirectory(const std::string& path) { return MakeDirectory(path, ""); }

bool HostMachine::DoCreateProtectedDirectory(const std::string& path,
                                           std::span<const platform::AccessEntry> entries) {
  return MakeDirectory(path, " protected: " + Described(entries));
}

bool HostMachine::DoRemoveDirectory(const std::string& path) {
  const Target target = Locate(path);
  std::error_code error;
  std::uint32_t refusal = RemoveDirectoryRefusal(target);
  if (refusal == 0 && !fs::remove(target.host, error)) refusal = platform::kErrorAccessDenied;
  Note("rmdir " + path + (refusal == 0 ? "" : " failed"));
  return refusal == 0 || Refuse(refusal);
}

bool HostMachine::DoSetCurrentDirectory(const std::string& path) {
  const Target target = Locate(path);
  std::error_code error;
  if (target.device || !fs::is_directory(target.host, error)) {
    Note("chdir " + path + " failed");
    return Refuse(fs::exists(target.host, error) ? platform::kErrorDirectory : MissingError(target));
  }
  // Windows 9x keeps a directory for each drive; NT only the process's one.
  if (!nt_) driveDirs_[Upper(currentDir_[0])] = currentDir_;
  currentDir_ = Absolute(path);
  Note("chdir " + currentDir_);
  return true;
}

bool HostMachine::DoSetCurrentDrive(int drive) {
  if (drive < 1 || drive > 26) return Refuse(platform::kErrorPathNotFound);
  const char letter = static_cast<char>('A' + drive - 1);
  const std::string directory = DriveDirectory(letter);
  std::error_code error;
  if (!fs::is_directory(Locate(directory).host, error)) {
    Note(std::string("drive ") + letter + ": failed");
    return Refuse(platform::kErrorPathNotFound);
  }
  if (!nt_) driveDirs_[Upper(currentDir_[0])] = currentDir_;
  currentDir_ = directory;
  Note(std::string("drive ") + letter + ":");
  return true;
}

// The program's disk request ("Please insert Disk 2").
constexpr int kDiskRequestText = 222;

void HostMachine::InsertRequestedDisk(const std::string& boxText) {
  const std::string request = resources::LookUpString(kDiskRequestText).value_or("");
  if (request.empty() || !boxText.starts_with(request)) return;
  const int disk = boot::ParseLeadingInt(std::string_view(boxText).substr(request.size()));
  if (disk == insertedDisk_) return;
  const auto folder = [this](int n) { return root_ / "disks" / std::to_string(n); };
  std::error_code error;
  if (!fs::is_directory(folder(disk), error)) {
    Note("disk " + std::to_string(disk) + " not at hand");
    return;
  }
  const fs::path drive = root_ / std::string(1, Lower(diskDrive_));
  fs::rename(drive, folder(insertedDisk_), error);
  fs::rename(folder(disk), drive, error);
  insertedDisk_ = disk;
  // Lists read from the disk that went out are not those of the new one.
  std::erase_if(profiles_, [this](const auto& entry) { return entry.first[0] == diskDrive_; });
  Note("disk " + std::to_string(disk) + " in " + std::string(1, diskDrive_) + ":");
}

}  // namespace host
