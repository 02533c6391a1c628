#include "cleanup.h"

#include "settings.h"
#include "string_ids.h"
#include "text.h"
#include "setup_list.h"
#include "setup_log.h"
#include "constants.h"

namespace boot {
namespace {

constexpr char kJoinedFile[] = "SETUP000.001";
constexpr int kFirstRecordField = 9;

// Files of records whose destination is the temporary directory.
void DeleteTempDirFiles(BootState& state, const std::string& tempDir) {
  for (int n = kFirstRecordField;; ++n) {
    const std::string record = GetField(state.splashText, n, '|');
    if (!IsSet(record)) return;
    if (ParseLeadingInt(GetField(record, 3, ';')) == 0) {
      state.Os().DeleteFile(tempDir + GetField(record, 1, ';'));
    }
  }
}

void RemoveTempDir(BootState& state, const std::string& tempDir) {
  platform::Platform& os = state.Os();
  os.SetCurrentDirectory("C:\\");
  os.SetCurrentDrive(3);
  if (os.RemoveDirectory(tempDir.substr(0, tempDir.size() - 1))) {
    WriteLogEntry(state, "DT", "1");
    return;
  }
  const std::string text = LoadText(state, ids::kUnableToDeleteTempDir) + "\n\n" + tempDir +
                           "\n\n" + GetField(state.splashText, 6, '|');
  os.MessageBox(text, state.errorCaption, platform::kMbOk | platform::kMbIconError);
  WriteLogEntry(state, "DT", "0");
}

}  // namespace

void CleanUpAfterSetup(BootState& state) {
  platform::Platform& os = state.Os();
  os.DeleteFile(GetField(state.splashText, 8, '|'));
  WriteLogEntry(state, "DS", "1");

  std::string winDir = os.WindowsDirectory();
  AddTrailingBackslash(winDir);
  os.DeleteFile(winDir + kJoinedFile);

  const std::string destDir = GetField(state.splashText, 7, '|');
  if (state.listMode == kSectionedList) {
    const std::string listDir = state.useTempDir == 1 ? destDir : winDir;
    os.DeleteFile(listDir + LoadText(state, ids::kSetupListName));
  }
  if (state.useTempDir != 1 || destDir.empty()) return;
  DeleteTempDirFiles(state, destDir);
  RemoveTempDir(state, destDir);
}

}  // namespace boot
