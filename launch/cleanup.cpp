#include "cleanup.h"

#include "constants.h"
#include "settings.h"
#include "setup_log.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {

// Only what this run wrote: a file that was there before stays, whatever
// a list says about it.
void DeleteIfWritten(BootState& state, const std::string& path) {
  if (WasWritten(state, path)) state.Os().files->DeleteFile(path);
}

// Files of records whose destination is the temporary directory.
void DeleteTempDirFiles(BootState& state) {
  for (const FileRecord& record : state.list.files) {
    if (record.destCode == 0) DeleteIfWritten(state, state.dirs.temp + record.destName);
  }
}

void RemoveTempDir(BootState& state) {
  const platform::Os& os = state.Os();
  const std::string& tempDir = state.dirs.temp;
  os.files->SetCurrentDirectory("C:\\");
  os.files->SetCurrentDrive(3);
  if (os.files->RemoveDirectory(tempDir.substr(0, tempDir.size() - 1))) {
    WriteLogEntry(state, logged::kTempDirRemoved, logged::kYes);
    return;
  }
  const std::string text = LoadText(state, ids::kUnableToDeleteTempDir) + "\n\n" + tempDir + "\n\n" +
                           state.tempDirMessage;
  os.windows->MessageBox(text, state.errorCaption, platform::kMbOk | platform::kMbIconError);
  WriteLogEntry(state, logged::kTempDirRemoved, logged::kNo);
}

}  // namespace

void CleanUpAfterSetup(BootState& state) {
  DeleteIfWritten(state, state.list.programPath);
  WriteLogEntry(state, logged::kSetupDeleted, logged::kYes);

  if (!state.joinedFile.empty()) DeleteIfWritten(state, state.joinedFile);

  if (state.list.mode == ListMode::kSectioned) {
    DeleteIfWritten(state, state.dirs.setup + LoadText(state, ids::kSetupListName));
  }
  // Only a directory that this run created is removed.
  if (!state.useTempDir || state.dirs.temp.empty()) return;
  DeleteTempDirFiles(state);
  RemoveTempDir(state);
}

}  // namespace boot
