// A DLL that registers itself by writing a value under
// HKCU\Software\ZavezTest. It imports from REGHELP.DLL, which lies beside
// it, so it loads only when its own folder is searched.
#include <windows.h>

extern "C" __declspec(dllimport) DWORD HelperValue();

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ZavezTest", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return E_FAIL;
  }
  const DWORD value = HelperValue();
  const LONG written = RegSetValueExA(key, "Dll", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return written == ERROR_SUCCESS ? S_OK : E_FAIL;
}
