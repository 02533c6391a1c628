// What the description makes hard for the program's files: files that are
// read-only or held by another program, drives that are full or
// write-protected.
#pragma once

#include <set>
#include <string>

namespace host {

struct FileFaults {
  bool ReadOnly(const std::string& key) const { return readOnly.contains(key); }
  bool InUse(const std::string& key) const { return inUse.contains(key); }
  bool Full(char drive) const { return fullDrives.find(drive) != std::string::npos; }
  bool WriteProtected(char drive) const { return protectedDrives.find(drive) != std::string::npos; }

  std::set<std::string> inUse, readOnly;  // Target keys
  std::string fullDrives, protectedDrives;  // drive letters
};

}  // namespace host
