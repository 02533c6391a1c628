#include "host_machine.h"

#include <set>
#include <system_error>

#include "text.h"
#include "constants.h"
#include "string_table.h"
#include "tree_io.h"

namespace fs = std::filesystem;

namespace host {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string DriveLetters(const std::string& list) {
  std::string letters;
  for (const std::string& item : SplitList(list, ';')) letters += Upper(item[0]);
  return letters;
}

MachineFacts Describe(const fs::path& root) { return MachineFacts(ReadHostFile(root / "machine.ini").value_or("")); }

char DiskDriveOf(const MachineFacts& facts) {
  const std::string drive = facts.Setting("Disks", "Drive", facts.program.substr(0, 1));
  return drive.empty() ? 'D' : Upper(drive[0]);
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

HostMachine::HostMachine(fs::path root)
    : facts_(Describe(root)),
      tree_(root, facts_.Setting("Machine", "CurrentDirectory", "C:\\"),
            SplitList(facts_.Setting("Drives", "CurrentDirectories", ""), ';'), facts_.nt),
      disks_(root, DiskDriveOf(facts_), facts_.Number("Disks", "Inserted", 1)),
      libraries_(SplitList(boot::ToUpperAscii(facts_.Setting("Libraries", "Present", "")), ';')),
      processes_(facts_.Number("Processes", "RunTicks", 2)),
      person_(SplitList(facts_.Setting("Boxes", "Answers", ""), ','),
              facts_.Number("Files", "InUseUntilBox", 0) == 1,
              SplitList(facts_.Setting("Files", "AppearOnBox", ""), ';')) {
  LoadFaults();
  // Every machine has these; a description need not lay them out.
  std::error_code error;
  fs::create_directories(Resolve(facts_.winDir), error);
  fs::create_directories(Resolve(facts_.sysDir), error);
  window_.createFails = facts_.Number("Windows", "CreateFails", 0) == 1;
  window_.timerFails = facts_.Number("Windows", "TimerFails", 0) == 1;
}

void HostMachine::LoadFaults() {
  const auto files = [this](const std::string& key) {
    std::set<std::string> keys;
    for (const std::string& path : SplitList(Setting("Files", key, ""), ';')) keys.insert(Locate(path).key);
    return keys;
  };
  faults_.inUse = files("InUse");
  faults_.readOnly = files("ReadOnly");
  faults_.fullDrives = DriveLetters(Setting("Drives", "Full", ""));
  faults_.protectedDrives = DriveLetters(Setting("Drives", "WriteProtected", ""));
}

bool HostMachine::Refuse(std::uint32_t error) {
  lastError_ = error;
  return false;
}

fs::path HostMachine::Resolve(const std::string& windowsPath) const { return Locate(windowsPath).host; }

std::string HostMachine::LoadString(platform::Instance, int id, std::size_t capacity) {
  std::string text = resources::LookUpString(id).value_or("");
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

std::optional<std::uint16_t> HostMachine::NetworkCaps(int index) {
  Note("call WNetGetCaps(" + std::to_string(index) + ")" + (facts_.networkCaps ? "" : " missing"));
  return facts_.networkCaps;
}

// --- directories ---------------------------------------------------------------

std::uint32_t HostMachine::MissingError(const Target& target) const {
  std::error_code error;
  return fs::is_directory(target.host.parent_path(), error) ? platform::kErrorFileNotFound
                                                            : platform::kErrorPathNotFound;
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
  if (target.key == Locate(tree_.CurrentDirectory()).key) return platform::kErrorSharingViolation;
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
  tree_.ChangeDirectory(tree_.Absolute(path));
  Note("chdir " + tree_.CurrentDirectory());
  return true;
}

bool HostMachine::DoSetCurrentDrive(int drive) {
  if (drive < 1 || drive > 26) return Refuse(platform::kErrorPathNotFound);
  const char letter = static_cast<char>('A' + drive - 1);
  const std::string directory = tree_.DriveDirectory(letter);
  std::error_code error;
  if (!fs::is_directory(Locate(directory).host, error)) {
    Note(std::string("drive ") + letter + ": failed");
    return Refuse(platform::kErrorPathNotFound);
  }
  tree_.ChangeDirectory(directory);
  Note(std::string("drive ") + letter + ":");
  return true;
}

// The program's disk request ("Please insert Disk 2").
constexpr int kDiskRequestText = 222;

void HostMachine::InsertRequestedDisk(const std::string& boxText) {
  const std::string request = resources::LookUpString(kDiskRequestText).value_or("");
  if (request.empty() || !boxText.starts_with(request)) return;
  const int disk = boot::ParseLeadingInt(std::string_view(boxText).substr(request.size()));
  if (disk == disks_.Inserted()) return;
  if (!disks_.AtHand(disk)) {
    Note("disk " + std::to_string(disk) + " not at hand");
    return;
  }
  disks_.Swap(tree_.DriveFolder(disks_.Drive()), disk);
  // Lists read from the disk that went out are not those of the new one.
  profiles_.ForgetDrive(disks_.Drive());
  Note("disk " + std::to_string(disk) + " in " + std::string(1, disks_.Drive()) + ":");
}

}  // namespace host
