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

constexpr int kToolkitRegister = 1;  // the ordinal of the toolkit's entry
constexpr char kServerSwitch[] = " /REGSERVER";
constexpr char kRegEdit[] = "REGEDIT /S ";

// The toolkit's result for the DLL at `path`: 0, or the failure it reports.
std::string RegisterLibrary(BootState& state, const std::string& path) {
  const platform::Os& os = state.Os();
  platform::OwnedLibrary& toolkit = state.libraries.toolkit;
  if (!toolkit) toolkit = LoadAuthorLibrary(state, kToolkitFileName);
  const platform::Entry entry = toolkit ? os.libraries->FindEntry(toolkit.Get(), nullptr, kToolkitRegister) : 0;
  if (entry == 0) return logged::kNoToolkit;
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
  return logged::kInstalled;
}

}  // namespace

void PrepareToolkit(BootState& state) {
  if (state.libraries.toolkit) return;
  for (const FileRecord& record : state.list.files) {
    if (RegisterKindOf(record.registration) == RegisterKind::kLibrary) {
      state.libraries.toolkit = LoadAuthorLibrary(state, kToolkitFileName);
      return;
    }
  }
}

void RegisterInstalledFiles(BootState& state) {
  for (const Registration& file : state.registrations) {
    switch (file.kind) {
      case RegisterKind::kLibrary:
        WriteLogEntry(state, file.path + logged::kLibraryRegistered, RegisterLibrary(state, file.path));
        break;
      case RegisterKind::kProgram:
        // Started by its path quoted as the launch quotes it.
        WriteLogEntry(state, file.path + kServerSwitch + logged::kProgramRegistered,
                      RunToEnd(state, QuotedPath(file.path) + kServerSwitch));
        break;
      default:
        // The entry names the registry file as the list wrote it.
        WriteLogEntry(state, kRegEdit + file.listName + logged::kRegistryImported,
                      RunToEnd(state, kRegEdit + QuotedPath(file.path)));
        break;
    }
  }
}

}  // namespace boot
