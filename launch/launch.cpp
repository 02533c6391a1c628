#include "launch.h"

#include "settings.h"
#include "string_ids.h"
#include "setup_list.h"
#include "setup_log.h"
#include "constants.h"
#include "ctl3d.h"

namespace boot {
namespace {

void ReleaseLibrariesBeforeWait(BootState& state) {
  if (state.dialog3d == 1) {
    ReleaseCtl3d(state);
    state.dialog3d = 0;
  }
  if (state.versionLibrary != 0) {
    state.Os().FreeLibrary(state.versionLibrary);
    state.versionLibrary = 0;
  }
  state.librariesReleased = true;
}

void WaitOrEnd(BootState& state, Sequence& seq) {
  platform::Platform& os = state.Os();
  if (state.useTempDir != 1 && state.deleteSetup != 1) {
    WriteLogEntry(state, "C", "1");
    os.PostQuit(0);
    return;
  }
  if (!os.SetTimer(seq.window, kWaitTimerId, kWaitTimerMs)) {
    WriteLogEntry(state, "T", "0");
    os.PostQuit(0);
    return;
  }
  os.ShowWindow(seq.window, platform::kSwHide);
  ReleaseLibrariesBeforeWait(state);
}

void ReportLaunchFailure(BootState& state, const Sequence& seq, const std::string& commandLine,
                         std::uint32_t error) {
  const std::string code = std::to_string(static_cast<std::int32_t>(error));
  const std::string extra = ReadTextSettingById(state, ids::kErrorMessageLaunch,
                                                ids::kInstallationAborted, kExtraTextCapacity);
  const std::string text = LoadText(state, ids::kErrorLaunching) + seq.setupProgramPath + "\n\n" +
                           extra + "\n\n" + LoadText(state, ids::kErrorPrefix) + code + "\n\n" +
                           commandLine;
  state.Os().MessageBox(text, state.errorCaption, platform::kMbOk | platform::kMbIconError);
  WriteLogEntry(state, "L", code);
}

}  // namespace

std::string ComposeCommandLine(const std::string& program, const std::string& sourceDir,
                               const std::string& arguments) {
  // Unquoted, a blank would let the platform start a program from a
  // shorter path.
  const bool quote = program.find_first_of(" \t") != std::string::npos;
  std::string line = quote ? "\"" + program + "\"" : program;
  line += " " + sourceDir;
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

void LaunchMainSetup(BootState& state, Sequence& seq) {
  platform::Platform& os = state.Os();
  if (seq.installFailed) {
    os.PostQuit(0);
    return;
  }
  std::string program;
  if (state.listMode == kSectionedList) {
    program = seq.setupDir + seq.listSetupName;
  } else {
    program = seq.setupProgramPath;
    if (program.empty() || program.back() == '\\') {
      os.PostQuit(0);
      return;
    }
  }
  const std::string commandLine = ComposeCommandLine(program, seq.sourceDir, seq.commandLine);
  WriteLogEntry(state, "Cmd", commandLine);
  const platform::Platform::Started started = os.StartProcess(commandLine);
  if (!started.ok) {
    ReportLaunchFailure(state, seq, commandLine, started.error);
    os.PostQuit(0);
    return;
  }
  state.setupProcess = started.process;
  WaitOrEnd(state, seq);
}

void OnWaitTimer(BootState& state, platform::Window window) {
  platform::Platform& os = state.Os();
  if (!os.ProcessEnded(state.setupProcess)) return;
  os.KillTimer(window, kWaitTimerId);
  WriteLogEntry(state, "C", "1");
  os.PostQuit(0);
}

}  // namespace boot
