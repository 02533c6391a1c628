#include "registration.h"

#include <cstdint>

#include "file_names.h"
#include "file_record.h"
#include "launch.h"
#include "libraries.h"
#include "setup_log.h"
#include "text.h"

namespace boot {
namespace {

constexpr int kToolkitRegister = 1;
constexpr char kNoToolkit[] = "NoToolkit";
constexpr std::string_view kServerSwitch = " /REGSERVER";
constexpr char kEnded[] = "100";

// The toolkit's result for the DLL at `path`: 0, or the failure it reports.
std::string RegisterLibrary(BootState& state, const std::string& path) {
  const platform::Os& os = state.Os();
  platform::Library& toolkit = state.libraries.toolkit;
  if (toolkit == 0) toolkit = LoadAuthorLibrary(state, kToolkitFileName);
  const platform::Entry entry = toolkit != 0 ? os.libraries->FindEntry(toolkit, nullptr, kToolkitRegister) : 0;
  if (entry == 0) return kNoToolkit;
  const std::uintptr_t args[] = {reinterpret_cast<std::uintptr_t>(path.c_str())};
  return Decimal(static_cast<std::int32_t>(os.libraries->CallEntry(entry, args)));
}

// "100" once the program has ended, or the platform's error of its start.
// The wait sleeps until the program ends or a message comes, and the
// splash window's messages are dispatched meanwhile.
std::string RunToEnd(BootState& state, const std::string& commandLine) {
  const platform::Os& os = state.Os();
  const platform::Processes::Started started = os.processes->StartProcess(commandLine);
  if (!started.ok) return Decimal(started.error);
  while (!os.processes->ProcessEnded(started.process)) {
    os.processes->WaitForProcessOrMessage(started.process);
    os.windows->PumpMessages();
  }
  return kEnded;
}

// A program registering itself: its path quoted as the launch quotes it.
std::string ServerCommandLine(const std::string& command) {
  if (!command.ends_with(kServerSwitch)) return command;
  return QuotedPath(command.substr(0, command.size() - kServerSwitch.size())) + std::string(kServerSwitch);
}

}  // namespace

void PrepareToolkit(BootState& state) {
  if (state.libraries.toolkit != 0) return;
  for (const FileRecord& record : state.list.files) {
    if (RegisterKind(record.registration) == kToolkitRegister) {
      state.libraries.toolkit = LoadAuthorLibrary(state, kToolkitFileName);
      return;
    }
  }
}

void RegisterInstalledFiles(BootState& state) {
  for (int n = 1;; ++n) {
    const std::string record = GetField(state.registerList, n, '|');
    if (!IsSet(record)) return;
    // A directory may hold ";", a name never: the command is all after the first.
    const std::size_t separator = record.find(';');
    const std::string command = separator == std::string::npos ? std::string() : record.substr(separator + 1);
    const std::string field = record.substr(0, separator);
    switch (RegisterKind(field)) {
      case 1:
        WriteLogEntry(state, command + "(DLLReg)", RegisterLibrary(state, command));
        break;
      case 2:
        WriteLogEntry(state, command + "(EXEReg)", RunToEnd(state, ServerCommandLine(command)));
        break;
      default:
        // The entry names the registry file as the list wrote it.
        WriteLogEntry(state, "REGEDIT /S " + field + "(RegEdit)", RunToEnd(state, command));
        break;
    }
  }
}

}  // namespace boot
