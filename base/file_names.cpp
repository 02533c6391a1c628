#include "file_names.h"

#include <algorithm>
#include <string>
#include <vector>

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

std::string NormalPath(std::string_view path, std::string_view base) {
  std::string full(path);
  std::replace(full.begin(), full.end(), '/', '\\');
  const bool absolute = (full.size() >= 2 && full[1] == ':') || full.starts_with("\\\\");
  if (!absolute) full = std::string(base) + full;
  // The root: "X:" or "\\server\share"; the rest are parts.
  std::size_t rootEnd = 2;
  if (full.starts_with("\\\\")) {
    rootEnd = full.find('\\', full.find('\\', 2) + 1);
    if (rootEnd == std::string::npos) rootEnd = full.size();
  }
  std::vector<std::string> parts;
  std::size_t start = rootEnd;
  while (start < full.size()) {
    std::size_t end = full.find('\\', start);
    if (end == std::string::npos) end = full.size();
    const std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string normal = full.substr(0, rootEnd);
  for (const std::string& part : parts) normal += "\\" + part;
  return ToUpperAscii(normal);
}

bool IsBelow(std::string_view path, std::string_view dir) {
  return !dir.empty() && ToUpperAscii(std::string(path.substr(0, dir.size()))) == ToUpperAscii(std::string(dir));
}

bool HasExtension(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/:");
  const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = last.rfind('.');
  return dot != std::string_view::npos && dot + 1 < last.size();
}

std::string WithNumberExtension(std::string_view name, int n) {
  const std::string digits = Decimal(n);
  return std::string(name) + "." + std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

bool IsRelativePath(std::string_view path) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find('\\', start);
    if (!IsPlainFileName(path.substr(start, end == std::string_view::npos ? end : end - start))) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

std::string QuotedPath(const std::string& path) {
  return path.find_first_of(" \t") != std::string::npos ? "\"" + path + "\"" : path;
}

std::pair<std::string, std::string> SplitProgramAndSwitches(std::string_view command) {
  const std::size_t blank = command.find(' ');
  if (blank == std::string_view::npos) return {std::string(command), {}};
  const std::size_t switches = command.find_first_not_of(' ', blank);
  return {std::string(command.substr(0, blank)),
          switches == std::string_view::npos ? std::string() : std::string(command.substr(switches))};
}

}  // namespace boot
