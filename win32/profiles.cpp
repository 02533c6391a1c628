#include "win32_backend.h"

#include "constants.h"
#include "win32_common.h"

namespace win32 {

std::string Win32ProfileFiles::ReadProfileString(const std::string& section, const std::string& key,
                                             const std::string& defaultText, std::size_t capacity,
                                             const std::string& file) {
  std::string buffer(capacity + 1, '\0');
  const DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(),
                                                  buffer.data(), static_cast<DWORD>(capacity),
                                                  file.c_str());
  buffer.resize(length);
  return buffer;
}

std::uint32_t Win32ProfileFiles::ReadProfileInt(const std::string& section, const std::string& key,
                                            int defaultValue, const std::string& file) {
  return ::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str());
}

bool Win32ProfileFiles::WriteProfileString(const std::string& section, const std::string& key,
                                       const std::string& value, const std::string& file) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

}  // namespace win32
