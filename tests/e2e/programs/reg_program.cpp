// A program that registers itself when started with /REGSERVER: it writes a
// value under HKCU\Software\ZavezTest after a pause, so that a bootstrapper
// that does not wait for it would go on too early.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strstr(commandLine, "/REGSERVER") == nullptr) return 1;
  Sleep(1500);
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ZavezTest", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return 2;
  }
  const char text[] = "registered";
  RegSetValueExA(key, "Exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(key);
  return 0;
}
