#include "file_names.h"

#include <string>

#include "text.h"

namespace boot {
namespace {

bool IsDeviceName(std::string_view name) {
  // Windows ignores an extension and trailing blanks after a device name.
  std::string base = ToUpperAscii(std::string(name.substr(0, name.find('.'))));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' &&
         base[3] <= '9';
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  // Separators, and characters that no Windows file name may hold.
  if (name.find_first_of("\\/:*?\"<>|") != std::string_view::npos) return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
  }
  return !IsDeviceName(name);
}

bool HasExtension(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/:");
  const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = last.rfind('.');
  return dot != std::string_view::npos && dot + 1 < last.size();
}

}  // namespace boot
