// The machine's drives as folders of the tree (<root>/c, <root>/d, ...)
// and its current directories: where a Windows path lies in the tree, its
// components found without regard to case, as Windows resolves names.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "name_index.h"

namespace host {

// A Windows path as the machine takes it.
struct Target {
  std::string path;  // absolute, without "." and "..": "C:\DIR\NAME"
  std::string key;   // the same in upper case: which file it is
  std::filesystem::path host;  // where it lies in the tree
  char drive = 'C';
  bool root = false;    // the drive's root directory
  bool device = false;  // CON, NUL, COM1, ...: never a file of the tree
  bool tooLong = false;  // longer than a path the platform's text calls take
};

class FileTree {
 public:
  // `currentDir` as the description gives it; `driveDirs` the other
  // drives' current directories: on NT what the parent left in the
  // environment ("=D:"), on 9x each drive's own.
  FileTree(std::filesystem::path root, const std::string& currentDir,
           const std::vector<std::string>& driveDirs, bool nt);

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path DriveFolder(char drive) const;
  const std::string& CurrentDirectory() const { return currentDir_; }
  std::string DriveDirectory(char drive) const;
  std::string Absolute(const std::string& windowsPath) const;
  Target Locate(const std::string& windowsPath) const;
  // Makes `directory` (absolute) the current one; Windows 9x keeps the
  // drive's own directory of the one left, NT only the process's one.
  void ChangeDirectory(const std::string& directory);

 private:
  std::filesystem::path root_;
  std::string currentDir_;  // absolute, as the program named it
  std::map<char, std::string> driveDirs_;
  bool nt_ = false;
  mutable NameIndex names_;
};

}  // namespace host
