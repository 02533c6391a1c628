// fake_setup: stands in for the main setup program in the end-to-end tests.
// It records how it was started, then stays alive for a while so that the
// tests can watch the bootstrapper wait for it.
//
// Record file: env SETUP_E2E_RECORD (a Windows path), default C:\setup-record.txt.
// It gets "cmdline=", "cwd=" and "pid=" lines at start and "ended=1" at the end.
// Run time: argument /wait:MS, else env SETUP_E2E_RUN_MS, else 1500 ms.
// When env SETUP_E2E_RELEASE names a file, the program instead runs until that
// file exists (the run time, default 60000 ms then, only bounds the wait), so
// a test decides when it ends and never races it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Env(const char* name) {
  char value[1024] = {};
  DWORD size = GetEnvironmentVariableA(name, value, sizeof value);
  return size > 0 && size < sizeof value ? std::string(value) : std::string();
}

// The last /wait:MS of the command line wins; the bootstrapper passes its own
// arguments on, so a test can set this through them.
long WaitArgument(const std::string& line) {
  long result = -1;
  for (size_t at = line.find("/wait:"); at != std::string::npos; at = line.find("/wait:", at + 1)) {
    result = std::strtol(line.c_str() + at + 6, nullptr, 10);
  }
  return result;
}

long RunTime(const std::string& line, bool released) {
  long wait = WaitArgument(line);
  if (wait >= 0) return wait;
  std::string env = Env("SETUP_E2E_RUN_MS");
  if (!env.empty()) return std::strtol(env.c_str(), nullptr, 10);
  return released ? 60000 : 1500;
}

bool Append(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

std::string CurrentDirectory() {
  char dir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof dir, dir);
  return dir;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Stay(long run_ms, const std::string& release) {
  DWORD start = GetTickCount();
  while (static_cast<long>(GetTickCount() - start) < run_ms) {
    if (!release.empty() && FileExists(release)) return;
    Sleep(50);
  }
}

}  // namespace

int main() {
  std::string record = Env("SETUP_E2E_RECORD");
  if (record.empty()) record = "C:\\setup-record.txt";
  std::string release = Env("SETUP_E2E_RELEASE");
  std::string line = GetCommandLineA();
  // One write, so a reader never sees the start half done.
  std::string start = "cmdline=" + line + "\r\ncwd=" + CurrentDirectory() + "\r\npid=" +
                      std::to_string(GetCurrentProcessId()) + "\r\n";
  if (!Append(record, start)) return 3;
  Stay(RunTime(line, !release.empty()), release);
  return Append(record, "ended=1\r\n") ? 0 : 3;
}
