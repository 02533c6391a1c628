#include "machine_checks.h"

#include "constants.h"
#include "file_names.h"
#include "settings.h"
#include "setup_log.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {

// Only a plain name is looked for: a path or a device name could reach
// anywhere, and such a file counts as missing.
bool Present(BootState& state, const std::string& name) {
  return IsPlainFileName(name) &&
         (state.Os().files->FileExists(state.dirs.osSys + name) || state.Os().files->FileExists(state.dirs.win + name));
}

}  // namespace

bool CheckExcludedVersion(BootState& state) {
  const std::string setting = ReadTextSetting(state, ids::kExcludeWinOS, "*", kExcludeCapacity);
  const int mask = ParseLeadingInt(GetField(setting, 1, ';'));
  const bool mayContinue = ParseLeadingInt(GetField(setting, 2, ';')) != 0;
  if ((mask & state.winVersionCode) == 0) return true;
  std::string text = LoadText(state, ids::kNotForThisWindows);
  std::string extra = ReadTextSetting(state, ids::kExcludeWinOSMessage, "*", kExtraTextCapacity);
  if (!IsSet(extra) && !mayContinue) extra = LoadText(state, ids::kInstallationAborted);
  if (IsSet(extra)) text += "\n\n" + extra;
  if (mayContinue) text += "\n\n" + LoadText(state, ids::kContinueAnyway);
  const unsigned type = mayContinue ? platform::kMbYesNoWarning : platform::kMbOkWarning;
  const int answer = state.Os().windows->MessageBox(text, state.errorCaption, type);
  WriteLogEntry(state, logged::kExcludedWindows, logged::kYes);
  return answer == platform::kIdYes;
}

bool CheckRequiredFiles(BootState& state) {
  const std::string extra = ReadTextSetting(state, ids::kErrorMessageRequires, "*", kRequiresMessageCapacity);
  const unsigned type =
      state.noIgnore ? platform::kMbRetryCancelWarning : platform::kMbAbortRetryIgnoreWarning;
  for (int n = 1;; ++n) {
    const std::string number = Decimal(n);
    const std::string name = ReadTextSetting(state, ids::kRequires, "*", kRequiresCapacity, number);
    if (!IsSet(name)) return true;
    while (!Present(state, name)) {
      std::string text = LoadText(state, ids::kRequiredFileMissing) + "\n\n" + name;
      if (IsSet(extra)) text += "\n\n" + extra;
      const int answer = state.Os().windows->MessageBox(text, state.errorCaption, type);
      // The last place looked at, after every box.
      WriteLogEntry(state, LoadText(state, ids::kRequires) + number, state.dirs.win + name);
      if (answer == platform::kIdIgnore) break;
      if (answer != platform::kIdRetry) return false;
    }
  }
}

}  // namespace boot
