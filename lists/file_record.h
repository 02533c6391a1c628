// One bootstrap file, whichever form of the list it came from.
#pragma once

#include <string>
#include <string_view>

#include "capacities.h"

namespace boot {

struct FileRecord {
  std::string destName;
  int skipIfInUse = 0;
  int destCode = 0;
  std::string version;
  int disk = 0;
  std::string sourceName;
  std::string registration;  // a number of up to two characters, or a registry file
  std::string secondSource;
  int secondDisk = 0;
  // A sectioned list's last entry marked as split: no second part follows.
  bool secondPartMissing = false;

  // A file split over two disks names its second part.
  bool IsSplit() const { return secondSource.size() >= 2; }
};

// How an installed file is registered once it is in place.
enum class RegisterKind { kNone, kLibrary, kProgram, kRegistryFile };

// The kind a Register field asks for: a short field by its number (1 a DLL,
// 2 a program, 0 or less none, any other a registry file); a longer one
// names a registry file.
RegisterKind RegisterKindOf(std::string_view registration);

// An own-list record: fields separated by ";", each cut to its length;
// numbers read as the platform's conversion reads them.
FileRecord ParseFileRecord(std::string_view text);

}  // namespace boot
