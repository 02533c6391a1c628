// The setup log: one profile-file section per run.
#pragma once

#include <string>

#include "boot_state.h"
#include "log_entries.h"

namespace boot {

// The label of this build in the log's "V" entry.
const char* VersionLabel();

// Section name of a run started at `time` (UTC).
std::string LogSectionName(const platform::SystemTime& time);

// Where this run's log goes, as one absolute path: a name without a drive
// lies in the Windows directory whatever its form, so that the run's own
// changes of directory cannot move it. A log that would be on the media or
// one of the files the run reads or places is the default log instead.
std::string LogFilePath(const BootState& state);

// Opens this run's section and writes its first entries, then the entries
// held from before the section existed.
void StartLog(BootState& state);

// One key into this run's section when the log is on. Before the section
// exists the entry is held, so nothing is lost.
void WriteLogEntry(BootState& state, const std::string& key, const std::string& value);

}  // namespace boot
