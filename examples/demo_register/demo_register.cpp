// The demo media's registered program: started with /REGSERVER while the
// splash window shows, it records itself under HKCU\Software\Demo Setup.
// When DEMO_SETUP_HOLD names a file, it first waits (a minute at most) until
// that file exists, so that the demo can photograph the splash window.
#include <windows.h>

#include <cstring>

namespace {

constexpr DWORD kPollMilliseconds = 100;
constexpr int kMostPolls = 600;

void WaitForRelease() {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("DEMO_SETUP_HOLD", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  for (int poll = 0; poll < kMostPolls && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES; ++poll) {
    Sleep(kPollMilliseconds);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strstr(commandLine, "/REGSERVER") == nullptr) return 1;
  WaitForRelease();
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Demo Setup", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return 2;
  }
  const char text[] = "registered by the bootstrap";
  RegSetValueExA(key, "Registered", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(key);
  return 0;
}
