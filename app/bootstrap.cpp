#include "bootstrap.h"

#include "sequence.h"
#include "settings.h"
#include "string_ids.h"
#include "win_version.h"
#include "setup_list.h"
#include "launch.h"
#include "setup_log.h"
#include "directories.h"
#include "splash_window.h"

namespace boot {
namespace {

void ReadSplashSettings(BootState& state, Sequence& seq) {
  seq.title = ReadTextSettingById(state, ids::kDialogTitle, ids::kDefaultTitle, kTitleCapacity);
  state.splashWidth = ReadIntSetting(state, ids::kDialogWidth, 300);
  state.splashHeight = ReadIntSetting(state, ids::kDialogHeight, 150);
  ReadSplashLines(state);
}

void ReadSettingsBlock(BootState& state, Sequence& seq) {
  state.versionCheck = ReadIntSetting(state, ids::kVersionCheck, 0);
  seq.dialogStyle = ReadIntSetting(state, ids::kDialogStyle, 0);
  seq.noIgnore = ReadIntSetting(state, ids::kNoIgnore, 0);
  state.logEnabled = ReadIntSetting(state, ids::kSetupLog, 1);
  state.useTempDir = ReadIntSetting(state, ids::kUseTempDir, 0);
  seq.tempDirSetting = ReadTextSetting(state, ids::kTempDir, "*", kTempDirCapacity);
  state.splashText += ReadTextSettingById(state, ids::kErrorMessageTempDir,
                                          ids::kDeleteTempDirManually, kTempDirMessageCapacity) +
                      "|";
}

void ShowSplash(BootState& state, const Sequence& seq) {
  state.Os().ShowWindow(seq.window, seq.showCommand);
  state.Os().UpdateWindow(seq.window);
}

// The phases after the window exists; false when one has ended the run.
bool RunPhases(BootState& state, Sequence& seq) {
  ShowSplash(state, seq);
  const WinVersion version = GetWinVersion(state.Os());
  seq.winVersionCode = version.code;
  seq.winVersionText = version.text;
  StartLog(state, seq.title, seq.winVersionText);
  if (!ReadSetupList(state, seq)) return false;
  CollectEntries(state, seq);
  LaunchMainSetup(state, seq);
  return true;
}

}  // namespace

bool RunBootstrap(BootState& state, platform::Instance instance, const std::string& commandLine,
                  int showCommand) {
  Sequence seq;
  seq.commandLine = commandLine;
  seq.showCommand = showCommand;
  state.instance = instance;
  state.errorCaption = LoadText(state, ids::kSetupError);

  ReadSplashSettings(state, seq);
  ReadSettingsBlock(state, seq);
  PrepareDirectories(state, seq);
  seq.window = CreateSplashWindow(state, seq.title, seq.dialogStyle);
  if (seq.window == 0) return false;
  if (!RunPhases(state, seq)) state.Os().PostQuit(0);
  return true;
}

}  // namespace boot
