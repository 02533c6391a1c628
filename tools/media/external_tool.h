// Running another program of the machine (mformat, mcopy, xorriso) by
// a spawn (fork and exec), with its arguments as they are: no shell reads them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace media {

struct ToolRun {
  std::vector<std::string> args;  // args[0] is the program, looked up in PATH
  std::vector<std::pair<std::string, std::string>> environment;  // added to or replacing ours
  std::string package;  // the Debian package that brings the program, for the message
};

// True when the program ran and exited with 0. Otherwise `error` says
// that it is missing (and which package brings it), that it could not be
// started, or how it ended, with the end of what it printed.
bool RunTool(const ToolRun& run, std::string& error);

}  // namespace media
