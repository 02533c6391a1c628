// Working values of the bootstrap sequence; they live while it runs.
#pragma once

#include <string>

#include "platform.h"

namespace boot {

struct Sequence {
  std::string commandLine;
  int showCommand = 0;

  std::string title;
  int dialogStyle = 0;
  int noIgnore = 0;
  std::string tempDirSetting;

  std::string winDir;
  std::string sysDir;
  std::string osSysDir;
  std::string sourceDir;
  std::string tempDir;
  std::string destDir;
  std::string setupDir;

  platform::Window window = 0;
  int winVersionCode = 0;
  std::string winVersionText;

  // Setup list phase.
  std::string sourceListPath;
  std::string setupFileName;
  std::string setupProgramPath;
  std::string listSetupName;
  std::string installOtherText;
  std::string registerList;
  bool installFailed = false;
};

}  // namespace boot
