#include "setup_log.h"

#include "settings.h"
#include "string_ids.h"
#include "file_names.h"
#include "run_files.h"
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

std::string LogFilePath(const BootState& state) {
  const Directories& dirs = state.dirs;
  const std::string wanted =
      NormalPath(ReadTextSettingById(state, ids::kSetupLogFile, ids::kDefaultLogFile, kLogFileCapacity), dirs.win);
  const std::string listName = LoadText(state, ids::kSetupListName);
  const std::string setupName =
      ReadTextSettingById(state, ids::kSetupFileName, ids::kDefaultSetupFileName, kSetupFileNameCapacity);
  const bool usable = IsUsableLogFile(wanted, dirs.program, dirs.source,
                                      {state.listPath, dirs.setup + listName, dirs.setup + setupName}, dirs.win);
  return usable ? wanted : NormalPath(LoadText(state, ids::kDefaultLogFile), dirs.win);
}

void StartLog(BootState& state) {
  Log& log = state.log;
  if (!log.enabled) return;
  log.path = LogFilePath(state);
  log.section = LogSectionName(state.Os().system->SystemTimeUtc());
  WriteLogEntry(state, logged::kTitle, state.splash.title);
  WriteLogEntry(state, logged::kWindowsVersion, state.winVersionText + " (" + VersionLabel() + ")");
  for (const auto& [key, value] : log.held) WriteLogEntry(state, key, value);
  log.held.clear();
}

void WriteLogEntry(BootState& state, const std::string& key, const std::string& value) {
  Log& log = state.log;
  if (!log.enabled) return;
  if (log.section.empty()) {
    log.held.emplace_back(key, value);
    return;
  }
  state.Os().profiles->WriteProfileString(log.section, key, value, log.path);
}

}  // namespace boot
