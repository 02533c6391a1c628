#include "entry.h"

#include "bootstrap.h"
#include "settings.h"
#include "string_ids.h"
#include "text.h"
#include "win_version.h"
#include "cleanup.h"
#include "constants.h"
#include "ctl3d.h"
#include "launch.h"
#include "splash_window.h"

namespace boot {
namespace {

// The window procedure reaches the run's state through this.
BootState* g_state = nullptr;

class SplashStateScope {
 public:
  explicit SplashStateScope(BootState& state) { g_state = &state; }
  ~SplashStateScope() { g_state = nullptr; }
  SplashStateScope(const SplashStateScope&) = delete;
  SplashStateScope& operator=(const SplashStateScope&) = delete;
};

// The splash window's messages go to the phase that owns each: painting to
// the splash, the frame to the 3-D controls, the timer to the launch's wait.
std::intptr_t SplashWndProc(platform::Window window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  if (g_state == nullptr) return 0;
  BootState& state = *g_state;
  switch (message) {
    case platform::kWmPaint:
      PaintSplash(state, window);
      return 0;
    case platform::kWmDestroy:
      state.Os().windows->PostQuit(0);
      return 0;
    case platform::kWmNcPaint:
    case platform::kWmNcActivate:
      return Ctl3dFrame(state, window, message, wParam, lParam);
    case platform::kWmTimer:
      OnWaitTimer(state, window);
      return 0;
    default:
      return state.Os().windows->DefWindowProc(window, message, wParam, lParam);
  }
}

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
  return state.Os().windows->RegisterWindowClass(state.instance, wc, SplashWndProc);
}

// A run that ends early leaves its libraries loaded to the end of the
// process, as it always has: nothing is unregistered or freed on the way.
void LeaveLibrariesLoaded(Libraries& libraries) {
  libraries.ctl3d.Abandon();
  libraries.version.Abandon();
  libraries.toolkit.Abandon();
}

void RunTail(BootState& state) {
  const platform::Os& os = state.Os();
  Libraries& libraries = state.libraries;
  if (state.splash.image != 0 && !state.splash.imageIsIcon) os.painting->DeleteObject(state.splash.image);
  if (state.useTempDir || state.deleteSetup) CleanUpAfterSetup(state);
  if (libraries.dialog3d) ReleaseCtl3d(state);
  libraries.version.Reset();
  libraries.toolkit.Reset();
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
  const platform::Os& os = state.Os();
  state.instance = instance;
  state.sectionName = os.system->LoadString(instance, ids::kBootSetup, kSectionNameCapacity);
  const std::string extension = LoadText(state, ids::kListExtension);
  const std::string program = os.system->ModuleFileName();
  state.listPath = ListPathFor(program, extension);
  const std::string fileSubDir =
      ReadTextSetting(state, ids::kFileSubDir, "*", kFileSubDirCapacity);
  state.dirs.program = DirectoryOf(program);
  state.dirs.source = SourceDirFor(program, fileSubDir);
  state.dialogColor = ReadNonZeroSetting(state, ids::kDialogColor);
  const bool win95Family = GetWinVersion(*os.system).code == kWin95;
  if (!win95Family) {
    state.libraries.dialog3d = ReadOneSetting(state, ids::kDialog3d, false);
    if (state.libraries.dialog3d) state.dialogColor = true;
  }
  return RegisterSplashClass(state, state.dialogColor || win95Family);
}

int RunProgram(const platform::Os& os, platform::Instance instance, const std::string& commandLine,
               int showCommand) {
  // Libraries that Windows loads for the program come from the system
  // directory only, never from beside SETUP.EXE on the media.
  os.libraries->RestrictLibrarySearch();
  BootState state;
  state.os = os;
  const SplashStateScope scope(state);
  if (!InitApplication(state, instance)) return 0;
  if (!RunBootstrap(state, instance, commandLine, showCommand)) {
    LeaveLibrariesLoaded(state.libraries);
    return 0;
  }
  const int exitCode = os.windows->RunMessageLoop();
  RunTail(state);
  return exitCode;
}

}  // namespace boot
