#include "entry.h"

#include "bootstrap.h"
#include "settings.h"
#include "string_ids.h"
#include "text.h"
#include "win_version.h"
#include "cleanup.h"
#include "constants.h"
#include "ctl3d.h"
#include "splash_window.h"

namespace boot {
namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool RegisterSplashClass(BootState& state, bool buttonFace) {
  platform::WindowClass wc;
  wc.name = kSplashClass;
  wc.style = platform::kClassStyle;
  wc.icon = "SetupIco";
  wc.background = (buttonFace ? platform::kColorBtnFace : platform::kColorWindow) + 1;
  return state.Os().RegisterWindowClass(state.instance, wc, SplashWndProc);
}

void RunTail(BootState& state) {
  platform::Platform& os = state.Os();
  Libraries& libraries = state.libraries;
  if (state.splash.image != 0 && state.splash.imageIsIcon == 0) os.DeleteObject(state.splash.image);
  if (state.useTempDir == 1 || state.deleteSetup == 1) CleanUpAfterSetup(state);
  if (libraries.dialog3d == 1 && !libraries.released) ReleaseCtl3d(state);
  if (libraries.version != 0 && !libraries.released) os.FreeLibrary(libraries.version);
  if (libraries.toolkit != 0) os.FreeLibrary(libraries.toolkit);
}

}  // namespace

std::string ListPathFor(const std::string& programPath, const std::string& extension) {
  const std::string directory = DirectoryOf(programPath);
  std::string base = programPath.substr(directory.size());
  // A name without a dot is its own base name.
  base = base.substr(0, base.find('.'));
  return directory + base + extension;
}

std::string SourceDirFor(const std::string& programPath, const std::string& fileSubDir) {
  std::string source = DirectoryOf(programPath);
  if (IsSet(fileSubDir)) {
    source += fileSubDir;
    AddTrailingBackslash(source);
  }
  return source;
}

bool InitApplication(BootState& state, platform::Instance instance) {
  platform::Platform& os = state.Os();
  state.instance = instance;
  state.sectionName = os.LoadString(instance, ids::kBootSetup, kSectionNameCapacity);
  const std::string extension = LoadText(state, ids::kListExtension);
  const std::string program = os.ModuleFileName();
  state.listPath = ListPathFor(program, extension);
  const std::string fileSubDir =
      ReadTextSetting(state, ids::kFileSubDir, "*", kFileSubDirCapacity);
  state.dirs.program = DirectoryOf(program);
  state.dirs.source = SourceDirFor(program, fileSubDir);
  state.dialogColor = ReadIntSetting(state, ids::kDialogColor, 0);
  const bool win95Family = GetWinVersion(os).code == kWin95;
  if (!win95Family) {
    state.libraries.dialog3d = ReadIntSetting(state, ids::kDialog3d, 0);
    if (state.libraries.dialog3d == 1) state.dialogColor = 1;
  }
  return RegisterSplashClass(state, state.dialogColor != 0 || win95Family);
}

int RunProgram(platform::Platform& os, platform::Instance instance, const std::string& commandLine,
               int showCommand) {
  // Libraries that Windows loads for the program come from the system
  // directory only, never from beside SETUP.EXE on the media.
  os.RestrictLibrarySearch();
  BootState state;
  state.os = &os;
  const SplashStateScope scope(state);
  if (!InitApplication(state, instance)) return 0;
  if (!RunBootstrap(state, instance, commandLine, showCommand)) return 0;
  const int exitCode = os.RunMessageLoop();
  RunTail(state);
  return exitCode;
}

}  // namespace boot
