// Finds a name in a folder of the tree without regard to case, as Windows
// resolves names, without listing the folder for every look-up: a run over
// a list of N files then costs O(N), not O(N^2).
//
// Each folder looked into is listed once and then kept up to date from the
// kernel's change notices (inotify), which arrive for every change however
// it is made: by the machine, by a test laying out files between calls, or
// by anyone else. The notices queued so far are applied before each
// look-up, so an answer is never older than the last change. A folder
// renamed keeps its index (the notices follow the folder, not its path);
// one deleted loses it. Without notices (no inotify, its limits reached,
// the queue overflowed) a look-up lists the folder, slow but exact.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace host {

class NameIndex {
 public:
  NameIndex();
  ~NameIndex();
  NameIndex(const NameIndex&) = delete;
  NameIndex& operator=(const NameIndex&) = delete;

  // The entry of `folder` named `name` without regard to case: the exact
  // name when it is there, else a name that differs only in case, else
  // `folder / name`.
  std::filesystem::path Child(const std::filesystem::path& folder, const std::string& name);

 private:
  // A folder's entries by their names in upper case; several when names
  // differ only in case, which the host allows.
  using Names = std::unordered_map<std::string, std::vector<std::string>>;

  void CatchUp();
  // The index of `folder`, made now if it has none; null when it has none
  // (then `isFolder` tells whether there is a folder to list).
  const Names* IndexOf(const std::filesystem::path& folder, bool& isFolder);

  int notices_ = -1;              // the inotify descriptor
  std::map<int, Names> folders_;  // by watch descriptor
};

}  // namespace host
