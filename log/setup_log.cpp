#include "log/setup_log.h"

#include <cstdio>

#include "app/settings.h"
#include "app/string_ids.h"

#ifndef SETUP_VERSION_LABEL
#define SETUP_VERSION_LABEL "0.0.0"
#endif

namespace boot {

const char* VersionLabel() { return SETUP_VERSION_LABEL; }

std::string LogSectionName(const platform::SystemTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  return text;
}

void StartLog(BootState& state, const std::string& title, const std::string& versionText) {
  if (state.logEnabled != 1) return;
  state.logPath = ReadTextSettingById(state, ids::kSetupLogFile, ids::kDefaultLogFile, kLogFileCapacity);
  state.logSection = LogSectionName(state.Os().SystemTimeUtc());
  WriteLogEntry(state, "A", title);
  WriteLogEntry(state, "V", versionText + " (" + VersionLabel() + ")");
  for (const auto& [key, value] : state.heldLogEntries) WriteLogEntry(state, key, value);
  state.heldLogEntries.clear();
}

void WriteLogEntry(BootState& state, const std::string& key, const std::string& value) {
  if (state.logEnabled != 1) return;
  if (state.logSection.empty()) {
    state.heldLogEntries.emplace_back(key, value);
    return;
  }
  state.Os().WriteProfileString(state.logSection, key, value, state.logPath);
}

}  // namespace boot
