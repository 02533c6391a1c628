// The rules every whole run on the simulated machine must keep, checked
// from the tree before the run, the tree after it and the machine's
// journal. Shared by the run tests, the whole-run fuzz target and fault
// injection, so it assumes nothing about the media or the settings.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host_machine.h"

namespace runcheck {

// A machine's drives: files with their content and directories, keyed by
// Windows path in upper case ("C:\WINDOWS\WIN.INI"), since Windows
// matches names without regard to case.
struct Snapshot {
  std::map<std::string, std::string> files;
  std::set<std::string> directories;
};

// Reads the drive folders (c/, d/, ...) below a machine folder.
Snapshot TakeSnapshot(const std::filesystem::path& root);

struct Rules {
  // The folder whose files a run may copy, as a Windows path.
  std::string media = "D:\\";
  // A box without an answer in machine.ini is no fault of the run.
  bool boxesMayGoUnanswered = false;
};

// What a run left behind.
struct Outcome {
  const std::filesystem::path& root;
  const host::HostMachine& machine;
  int exitCode = 0;
};

// Readable violations; empty when the run kept every rule.
std::vector<std::string> CheckRun(const Snapshot& before, const Outcome& after, const Rules& rules = {});

}  // namespace runcheck
