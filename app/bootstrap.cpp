#include "bootstrap.h"

#include "directories.h"
#include "install_files.h"
#include "launch.h"
#include "machine_checks.h"
#include "registration.h"
#include "settings.h"
#include "setup_list.h"
#include "setup_log.h"
#include "splash_image.h"
#include "splash_window.h"
#include "string_ids.h"
#include "support_libraries.h"
#include "win_version.h"

namespace boot {
namespace {

void ReadSplashSettings(BootState& state) {
  state.splash.title = ReadTextSettingById(state, ids::kDialogTitle, ids::kDefaultTitle, kTitleCapacity);
  state.splash.width = ReadIntSetting(state, ids::kDialogWidth, 300);
  state.splash.height = ReadIntSetting(state, ids::kDialogHeight, 150);
  ReadSplashLines(state);
}

void ReadSettingsBlock(BootState& state) {
  state.versionCheck = ReadVersionMethod(state);
  state.splash.style = ReadIntSetting(state, ids::kDialogStyle, 0);
  state.noIgnore = ReadNonZeroSetting(state, ids::kNoIgnore);
  state.log.enabled = ReadOneSetting(state, ids::kSetupLog, true);
  state.useTempDir = ReadOneSetting(state, ids::kUseTempDir, false);
  state.tempDirSetting = ReadTextSetting(state, ids::kTempDir, "*", kTempDirCapacity);
  state.tempDirMessage = ReadTextSettingById(state, ids::kErrorMessageTempDir, ids::kDeleteTempDirManually,
                                             kTempDirMessageCapacity);
}

void ShowSplash(BootState& state) {
  state.Os().windows->ShowWindow(state.splash.window, state.showCommand);
  state.Os().windows->UpdateWindow(state.splash.window);
}

// The phases after the window exists; false when one has ended the run.
bool RunPhases(BootState& state) {
  ShowSplash(state);
  const WinVersion version = GetWinVersion(*state.Os().system);
  state.winVersionCode = version.code;
  state.winVersionText = version.text;
  StartLog(state);
  if (!CheckExcludedVersion(state)) return false;
  LogCtl3dCopy(state);
  LogSplashImage(state);
  PrepareVersionLibrary(state);
  if (!CheckRequiredFiles(state)) return false;
  if (!ReadSetupList(state)) return false;
  if (!CollectEntries(state)) return false;
  if (state.versionCheck == VersionMethod::kByVersion) PrepareToolkit(state);
  if (!InstallFiles(state)) return false;
  RegisterInstalledFiles(state);
  LaunchMainSetup(state);
  return true;
}

}  // namespace

bool RunBootstrap(BootState& state, platform::Instance instance, const std::string& commandLine,
                  int showCommand) {
  state.instance = instance;
  state.commandLine = commandLine;
  state.showCommand = showCommand;
  state.errorCaption = LoadText(state, ids::kSetupError);

  ReadSplashSettings(state);
  ReadSettingsBlock(state);
  if (!PrepareDirectories(state)) {
    state.Os().windows->PostQuit(0);
    return true;
  }
  LoadSplashImage(state);
  state.splash.window = CreateSplashWindow(state);
  if (state.splash.window == 0) return false;
  PrepareCtl3d(state);
  if (!RunPhases(state)) state.Os().windows->PostQuit(0);
  return true;
}

}  // namespace boot
