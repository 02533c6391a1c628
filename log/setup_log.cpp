#include "setup_log.h"

#include "settings.h"
#include "string_ids.h"
#include "text.h"

#ifndef SETUP_VERSION_LABEL
#define SETUP_VERSION_LABEL "0.0.0"
#endif

namespace boot {

const char* VersionLabel() { return SETUP_VERSION_LABEL; }

std::string LogSectionName(const platform::SystemTime& time) {
  return TwoDigits(time.year) + "/" + TwoDigits(time.month) + "/" + TwoDigits(time.day) + " " +
         TwoDigits(time.hour) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second);
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
