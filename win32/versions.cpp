#include "win32_backend.h"

#include "constants.h"
#include "win32_common.h"

namespace win32 {

platform::Result<std::optional<platform::VersionInfo>> Win32Versions::FileVersion(
    platform::Library versionLibrary, const std::string& path) {
  std::optional<platform::VersionInfo> info = ReadVersion(versionLibrary, path);
  const bool failed = !info;
  return Returned(std::move(info), failed);
}

std::optional<platform::VersionInfo> Win32Versions::ReadVersion(platform::Library versionLibrary,
                                                               const std::string& path) {
  using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  const HMODULE module = As<HMODULE>(versionLibrary);
  const auto size = Entry<SizeFn>(module, "GetFileVersionInfoSizeA");
  const auto info = Entry<InfoFn>(module, "GetFileVersionInfoA");
  const auto query = Entry<QueryFn>(module, "VerQueryValueA");
  if (module == nullptr || !size || !info || !query) return std::nullopt;
  DWORD ignored = 0;
  const DWORD bytes = size(path.c_str(), &ignored);
  std::string buffer(bytes, '\0');
  void* value = nullptr;
  UINT length = 0;
  if (bytes == 0 || !info(path.c_str(), 0, bytes, buffer.data()) ||
      !query(buffer.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  return platform::VersionInfo{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwFileType,
                               fixed->dwFileSubtype};
}

std::uint32_t Win32Versions::InstallFile(platform::Library versionLibrary,
                                         const platform::InstallRequest& request,
                                         std::string& tempName) {
  using InstallFn = DWORD(WINAPI*)(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT);
  const HMODULE module = As<HMODULE>(versionLibrary);
  const auto install = module ? Entry<InstallFn>(module, "VerInstallFileA") : nullptr;
  if (!install) return platform::kVifCannotReadSrc;
  // Room for any name the library may give back, and for the one passed in.
  std::string temp = tempName;
  temp.resize(temp.size() + kPathCapacity, '\0');
  UINT length = static_cast<UINT>(temp.size());
  const DWORD result = install(request.flags, request.sourceName.c_str(), request.destName.c_str(),
                               request.sourceDir.c_str(), request.destDir.c_str(),
                               request.currentDir.c_str(), temp.data(), &length);
  if (result & platform::kVifTempFile) tempName = temp.c_str();
  return result;
}

}  // namespace win32
