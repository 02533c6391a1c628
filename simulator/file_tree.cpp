#include "file_tree.h"

#include <algorithm>

#include "machine_facts.h"
#include "text.h"

namespace fs = std::filesystem;

namespace host {
namespace {

// The platform's file calls take a path of up to MAX_PATH characters as
// text; a longer one is refused before it is looked at.
constexpr std::size_t kLongestPath = 260;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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

std::string Joined(std::string directory, const std::string& name) {
  if (directory.empty() || directory.back() != '\\') directory += '\\';
  return directory + name;
}

}  // namespace

FileTree::FileTree(fs::path root, const std::string& currentDir, const std::vector<std::string>& driveDirs,
                   bool nt)
    : root_(std::move(root)), currentDir_(IsDrivePath(currentDir) ? currentDir : "C:\\"), nt_(nt) {
  for (const std::string& directory : driveDirs) {
    if (IsDrivePath(directory)) driveDirs_[Upper(directory[0])] = directory;
  }
}

fs::path FileTree::DriveFolder(char drive) const { return root_ / std::string(1, Lower(drive)); }

std::string FileTree::DriveDirectory(char drive) const {
  if (Upper(currentDir_[0]) == drive) return currentDir_;
  const auto found = driveDirs_.find(drive);
  return found != driveDirs_.end() ? found->second : std::string(1, drive) + ":\\";
}

std::string FileTree::Absolute(const std::string& windowsPath) const {
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

Target FileTree::Locate(const std::string& windowsPath) const {
  const std::string absolute = Absolute(windowsPath);
  Target target;
  target.drive = Upper(absolute[0]);
  target.path = std::string(1, target.drive) + ":";
  target.host = DriveFolder(absolute[0]);
  const std::vector<std::string> parts = Components(absolute);
  for (const std::string& part : parts) {
    target.path += "\\" + part;
    target.host = names_.Child(target.host, part);
  }
  target.root = parts.empty();
  if (target.root) target.path += "\\";
  target.device = !parts.empty() && IsDeviceName(parts.back());
  target.tooLong = windowsPath.size() > kLongestPath;
  target.key = boot::ToUpperAscii(target.path);
  return target;
}

void FileTree::ChangeDirectory(const std::string& directory) {
  if (!nt_) driveDirs_[Upper(currentDir_[0])] = currentDir_;
  currentDir_ = directory;
}

}  // namespace host
