#include "win32_backend.h"

#include "constants.h"
#include "win32_common.h"

namespace win32 {

Win32Processes::~Win32Processes() {
  for (const PROCESS_INFORMATION& info : processes_) {
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
  }
}

platform::Processes::Started Win32Processes::StartProcess(const std::string& commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string line = commandLine;
  Started started;
  started.ok = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info);
  if (!started.ok) {
    started.error = ::GetLastError();
    return started;
  }
  processes_.push_back(info);
  started.process = Out(info.hProcess);
  return started;
}

bool Win32Processes::ProcessEnded(platform::Process process) {
  // A process that cannot be waited for is not waited for for ever.
  return ::WaitForSingleObject(As<HANDLE>(process), 0) != WAIT_TIMEOUT;
}

void Win32Processes::WaitForProcessOrMessage(platform::Process process) {
#ifdef SETUP_BENCH_SPIN
  if (process != 0) return;
#endif
  const HANDLE handle = As<HANDLE>(process);
  ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
}

}  // namespace win32
