#include "directories.h"

#include "constants.h"
#include "file_names.h"
#include "settings.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {

// Tries NAME, then NAME.001 to NAME.999, so that the directory is always
// a new one: a folder that existed before may hold planted files.
constexpr int kMaxTempDirSuffix = 999;

// Nothing inherited from the drive root, where every user may write:
// only administrators, the system and the creating user may change what
// the elevated main setup program will find beside it.
using platform::Access;
using platform::Trustee;
constexpr platform::AccessEntry kTempDirAccess[] = {
    {Trustee::kAdministrators, Access::kFull},
    {Trustee::kSystem, Access::kFull},
    {Trustee::kCreatingUser, Access::kFull},
    {Trustee::kUsers, Access::kReadExecute},
};

bool IsDriveLetterPath(const std::string& path) {
  return path.size() >= 3 && path[0] >= 'A' && path[0] <= 'Z' && path[1] == ':' && path[2] == '\\';
}

// Enters a directory, and its drive when the path names one.
void EnterDirectory(platform::FileSystem& files, const std::string& path) {
  files.SetCurrentDirectory(path);
  const char letter = ToUpperAscii(path.substr(0, 1)).c_str()[0];
  if (path.size() > 1 && path[1] == ':' && letter >= 'A' && letter <= 'Z') {
    files.SetCurrentDrive(letter - 'A' + 1);
  }
}

std::string Suffixed(const std::string& path, int n) { return n == 0 ? path : WithNumberExtension(path, n); }

// The first of the candidate names that this run could create; empty when
// none could be.
std::string CreateNewTempDir(platform::FileSystem& files, const std::string& path) {
  for (int n = 0; n <= kMaxTempDirSuffix; ++n) {
    const std::string candidate = Suffixed(path, n);
    const platform::Status made = files.CreateProtectedDirectory(candidate, kTempDirAccess);
    if (made) return candidate;
    if (made.error != platform::kErrorAlreadyExists) break;
  }
  return {};
}

void ReportNoTempDir(BootState& state, const std::string& path) {
  state.Os().windows->MessageBox(LoadText(state, ids::kUnableToCreateTempDir) + path, state.errorCaption,
                        platform::kMbOk | platform::kMbIconError);
}

void FindSystemDirectories(BootState& state) {
  const platform::Os& os = state.Os();
  Directories& dirs = state.dirs;
  dirs.win = ToUpperAscii(os.system->WindowsDirectory());
  dirs.osSys = os.system->SystemDirectory();
  // Real systems report both in mixed case, so case must not matter here.
  dirs.sys = IsBelow(dirs.osSys, dirs.win) ? dirs.osSys : dirs.win;
  AddTrailingBackslash(dirs.win);
  AddTrailingBackslash(dirs.sys);
  AddTrailingBackslash(dirs.osSys);
}

}  // namespace

std::string GeneratedTempDir(const platform::SystemTime& time) {
  return "C:\\~S" + TwoDigits(time.month) + TwoDigits(time.day) + TwoDigits(time.minute);
}

std::optional<std::string> TempDirFromSetting(const std::string& setting, const Directories& dirs) {
  const std::string upper = ToUpperAscii(setting);
  std::string path = upper.size() > 1 && upper[1] == ':' ? upper : "C:\\" + upper;
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  if (!IsDriveLetterPath(path) || path.size() == 3 || !IsRelativePath(std::string_view(path).substr(3))) {
    return std::nullopt;
  }
  const std::string folder = path + "\\";
  for (const std::string* system : {&dirs.win, &dirs.sys, &dirs.osSys}) {
    if (IsBelow(*system, folder)) return std::nullopt;
  }
  for (const std::string* media : {&dirs.program, &dirs.source}) {
    if (IsBelow(folder, *media)) return std::nullopt;
  }
  return path;
}

bool PrepareDirectories(BootState& state) {
  const platform::Os& os = state.Os();
  Directories& dirs = state.dirs;
  FindSystemDirectories(state);
  if (!state.useTempDir) {
    dirs.dest = dirs.sys;
    dirs.setup = dirs.win;
    EnterDirectory(*os.files, dirs.win);
    return true;
  }
  const std::optional<std::string> named =
      IsSet(state.tempDirSetting) ? TempDirFromSetting(state.tempDirSetting, dirs) : std::nullopt;
  const std::string wanted = named ? *named : GeneratedTempDir(os.system->SystemTimeUtc());
  std::string path = CreateNewTempDir(*os.files, wanted);
  if (path.empty()) {
    ReportNoTempDir(state, wanted);
    return false;
  }
  EnterDirectory(*os.files, path);
  AddTrailingBackslash(path);
  dirs.temp = path;
  dirs.dest = path;
  dirs.setup = path;
  return true;
}

}  // namespace boot
