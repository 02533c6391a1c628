// The program-wide state of one run.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform.h"

namespace boot {

struct BootState {
  platform::Platform* os = nullptr;
  platform::Instance instance = 0;

  std::string sectionName;
  std::string listPath;
  std::string errorCaption;
  // Fields each followed by "|": 1 source directory, 2-5 splash lines,
  // 6 temporary-directory message, 7 DestDir, 8 main setup program path,
  // 9 on file records. Grows as needed.
  std::string splashText;

  int dialogColor = 0;
  int dialog3d = 0;
  int splashWidth = 0;
  int splashHeight = 0;
  int versionCheck = 0;
  int logEnabled = 0;
  int useTempDir = 0;
  int deleteSetup = 0;
  int listMode = 0;

  std::string logSection;
  std::string logPath;
  // Entries that arose before the log section existed.
  std::vector<std::pair<std::string, std::string>> heldLogEntries;

  platform::Gdi splashImage = 0;
  int imageIsIcon = 0;
  int imageX = 0;
  int imageY = 0;
  int imageStatus = 0;

  platform::Library ctl3dLibrary = 0;
  platform::Library versionLibrary = 0;
  platform::Library toolkitLibrary = 0;
  bool librariesReleased = false;

  platform::Process setupProcess = 0;

  platform::Platform& Os() const { return *os; }
};

}  // namespace boot
