#include "launch.h"

#include "file_names.h"
#include "settings.h"
#include "string_ids.h"
#include "setup_log.h"
#include "constants.h"
#include "ctl3d.h"
#include "text.h"

namespace boot {
namespace {

void ReleaseLibrariesBeforeWait(BootState& state) {
  Libraries& libraries = state.libraries;
  if (libraries.dialog3d) {
    ReleaseCtl3d(state);
    libraries.dialog3d = false;
  }
  libraries.version.Reset();
}

void WaitOrEnd(BootState& state) {
  const platform::Os& os = state.Os();
  if (!state.useTempDir && !state.deleteSetup) {
    WriteLogEntry(state, logged::kWaitOver, logged::kYes);
    os.windows->PostQuit(0);
    return;
  }
  if (!os.windows->SetTimer(state.splash.window, kWaitTimerId, kWaitTimerMs)) {
    WriteLogEntry(state, logged::kTimer, logged::kNo);
    os.windows->PostQuit(0);
    return;
  }
  os.windows->ShowWindow(state.splash.window, platform::kSwHide);
  ReleaseLibrariesBeforeWait(state);
}

void ReportLaunchFailure(BootState& state, const std::string& commandLine, std::uint32_t error) {
  const std::string code = Decimal(static_cast<std::int32_t>(error));
  const std::string extra = ReadTextSettingById(state, ids::kErrorMessageLaunch,
                                                ids::kInstallationAborted, kExtraTextCapacity);
  const std::string text = LoadText(state, ids::kErrorLaunching) + state.list.programPath + "\n\n" +
                           extra + "\n\n" + LoadText(state, ids::kErrorPrefix) + code + "\n\n" +
                           commandLine;
  state.Os().windows->MessageBox(text, state.errorCaption, platform::kMbOk | platform::kMbIconError);
  WriteLogEntry(state, logged::kLaunchError, code);
}

}  // namespace

std::string ComposeCommandLine(const std::string& program, const std::string& switches,
                               const std::string& sourceDir, const std::string& arguments) {
  std::string line = QuotedPath(program);
  if (!switches.empty()) line += " " + switches;
  line += " " + sourceDir;
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

void LaunchMainSetup(BootState& state) {
  const platform::Os& os = state.Os();
  if (state.installFailed) {
    os.windows->PostQuit(0);
    return;
  }
  std::string program;
  std::string switches;
  if (state.list.mode == ListMode::kSectioned) {
    auto [name, rest] = SplitProgramAndSwitches(state.list.setupKeyName);
    program = state.dirs.setup + name;
    switches = std::move(rest);
  } else {
    // Only the copy this run placed is started, never a file left from before.
    program = state.list.programPath;
    if (state.list.setupFileName.empty() || !WasWritten(state, program)) {
      os.windows->PostQuit(0);
      return;
    }
  }
  const std::string commandLine = ComposeCommandLine(program, switches, state.dirs.source, state.commandLine);
  WriteLogEntry(state, logged::kCommand, commandLine);
  const platform::Processes::Started started = os.processes->StartProcess(commandLine);
  if (!started.ok) {
    ReportLaunchFailure(state, commandLine, started.error);
    os.windows->PostQuit(0);
    return;
  }
  state.setupProcess = started.process;
  WaitOrEnd(state);
}

void OnWaitTimer(BootState& state, platform::Window window) {
  const platform::Os& os = state.Os();
  if (!os.processes->ProcessEnded(state.setupProcess)) return;
  os.windows->KillTimer(window, kWaitTimerId);
  WriteLogEntry(state, logged::kWaitOver, logged::kYes);
  os.windows->PostQuit(0);
}

}  // namespace boot
