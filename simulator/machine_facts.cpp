#include "machine_facts.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "profile_text.h"
#include "text.h"

namespace host {
namespace {

constexpr char kMachineSection[] = "Machine";

std::uint32_t VersionNumber(const std::string& text, bool nt, std::uint32_t build) {
  unsigned major = 0, minor = 0;
  std::sscanf(text.c_str(), "%u.%u", &major, &minor);
  const std::uint32_t low = (major & 0xFF) | ((minor & 0xFF) << 8);
  return nt ? low | ((build & 0x7FFF) << 16) : low | 0x80000000u;
}

platform::SystemTime ParseClock(const std::string& text) {
  platform::SystemTime time;
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &time.year, &time.month, &time.day, &time.hour,
              &time.minute, &time.second);
  return time;
}

}  // namespace

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> items;
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, separator)) {
    item.erase(0, item.find_first_not_of(' '));
    item.erase(item.find_last_not_of(' ') + 1);
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

MachineFacts::MachineFacts(std::string text) : description(std::move(text)) {
  winDir = Setting(kMachineSection, "WindowsDirectory", "C:\\WINDOWS");
  sysDir = Setting(kMachineSection, "SystemDirectory", "C:\\WINDOWS\\SYSTEM");
  nt = boot::ToUpperAscii(Setting(kMachineSection, "Family", "9x")) == "NT";
  version = VersionNumber(Setting(kMachineSection, "Version", "4.0"), nt,
                          profile::ReadInt(description, kMachineSection, "Build", 950));
  const std::string caps = Setting(kMachineSection, "NetworkCaps", "");
  if (!caps.empty()) networkCaps = static_cast<std::uint16_t>(std::strtoul(caps.c_str(), nullptr, 0));
  clock = ParseClock(Setting(kMachineSection, "Clock", "2026-12-06 14:08:30"));
  program = Setting(kMachineSection, "Program", "D:\\SETUP.EXE");
  commandLine = Setting(kMachineSection, "CommandLine", "");
}

std::string MachineFacts::Setting(const std::string& section, const std::string& key,
                                  const std::string& fallback) const {
  return profile::ReadString(description, section, key, fallback, 4096);
}

int MachineFacts::Number(const std::string& section, const std::string& key, int fallback) const {
  return static_cast<int>(profile::ReadInt(description, section, key, fallback));
}

}  // namespace host
