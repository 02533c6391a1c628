// What the machine's description (machine.ini) says of the machine as a
// whole: its directories, version, network, clock and the program's own
// place, read once when the machine starts. The description's other
// sections stay readable for the parts that need them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "os_types.h"

namespace host {

// A description's list: items separated by `separator`, blanks around
// them cut, empty ones dropped.
std::vector<std::string> SplitList(const std::string& text, char separator);

struct MachineFacts {
  explicit MachineFacts(std::string text);

  std::string Setting(const std::string& section, const std::string& key,
                      const std::string& fallback) const;
  int Number(const std::string& section, const std::string& key, int fallback) const;

  std::string description;  // the whole of machine.ini
  std::string winDir, sysDir, program, commandLine;
  bool nt = false;
  std::uint32_t version = 0;
  std::optional<std::uint16_t> networkCaps;  // none: no WNetGetCaps
  platform::SystemTime clock;
};

}  // namespace host
