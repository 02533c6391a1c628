// The operations of the seam test (tests/e2e/seam_table.txt), run through
// any platform: the real backend under Wine (seam_driver.exe) and the
// simulated machine (seam_host_runner). Both print the same lines, so
// their outputs compare as text.
//
// A row is "LABEL | OP | ARG..."; other lines (files, known differences,
// comments) are not rows. Output:
// "LABEL OP: RESULT" per row, where a failure shows the platform's error
// code ("0 e=5").
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "constants.h"
#include <functional>

#include "os.h"

namespace seam_table {

inline constexpr std::size_t kReadLimit = 16u << 20;

class Runner {
 public:
  // `mkdir` makes a plain directory: the program never does, so the seam
  // has no such operation, but rows need directories to work in.
  Runner(const platform::Os& p, platform::Library version,
         std::function<platform::Status(const std::string&)> mkdir)
      : p_(p), version_(version), mkdir_(std::move(mkdir)) {}
  ~Runner() {
    for (const platform::File file : held_) p_.files->CloseFile(file);
  }
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  std::string Run(std::string_view table) {
    std::string out;
    for (std::size_t start = 0; start < table.size();) {
      std::size_t end = table.find('\n', start);
      if (end == std::string_view::npos) end = table.size();
      const std::vector<std::string> f = Fields(table.substr(start, end - start));
      start = end + 1;
      if (f.size() < 2 || f[0] == "file" || f[0] == "known") continue;
      out += f[0] + " " + f[1] + ": " + Row(f) + "\n";
    }
    return out;
  }

 private:
  // Fields split at "|", one blank beside each bar dropped; "\xHH" is a
  // byte, every other backslash itself.
  static std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') return fields;
    for (std::size_t start = 0;;) {
      const std::size_t bar = line.find('|', start);
      std::string_view field = line.substr(start, bar - start);
      if (start > 0 && field.starts_with(' ')) field.remove_prefix(1);
      if (bar != std::string_view::npos && field.ends_with(' ')) field.remove_suffix(1);
      fields.push_back(Unescape(field));
      if (bar == std::string_view::npos) return fields;
      start = bar + 1;
    }
  }

  static std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool hex = text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
                       std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
                       std::isxdigit(static_cast<unsigned char>(text[i + 3]));
      if (!hex) {
        out += text[i];
        continue;
      }
      out += static_cast<char>(std::strtoul(std::string(text.substr(i + 2, 2)).c_str(), nullptr, 16));
      i += 3;
    }
    return out;
  }

  // Printable text as it is, other bytes as \xHH.
  static std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x20 && byte < 0x7f) {
        out += c;
        continue;
      }
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    }
    return out;
  }

  static std::string Failed(std::uint32_t error) { return "0 e=" + std::to_string(error); }
  static std::string Done(platform::Status status) { return status ? "1" : Failed(status.error); }

  // Size and FNV-1a of what a read gave.
  static std::string Digest(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char text[40];
    std::snprintf(text, sizeof text, "%zu bytes %08x", bytes.size(), hash);
    return text;
  }
  static std::string Digest(const std::optional<boot::Block>& block) {
    return block ? Digest(block->View()) : "none";
  }

  std::string Row(const std::vector<std::string>& f) {
    const std::string& op = f[1];
    const auto arg = [&f](std::size_t i) { return i + 2 < f.size() ? f[i + 2] : std::string(); };
    if (op == "exists") return p_.files->FileExists(arg(0)) ? "1" : "0";
    if (op == "isdir") return p_.files->DirectoryExists(arg(0)) ? "1" : "0";
    if (op == "delete") return Done(p_.files->DeleteFile(arg(0)));
    if (op == "mkdir") return Done(mkdir_(arg(0)));
    if (op == "protect") {
      const platform::AccessEntry entries[] = {
          {platform::Trustee::kAdministrators, platform::Access::kFull},
          {platform::Trustee::kCreatingUser, platform::Access::kFull},
          {platform::Trustee::kUsers, platform::Access::kReadExecute}};
      return Done(p_.files->CreateProtectedDirectory(arg(0), entries));
    }
    if (op == "rmdir") return Done(p_.files->RemoveDirectory(arg(0)));
    if (op == "replace") return Done(p_.files->ReplaceFile(arg(0), arg(1)));
    if (op == "read") {
      const auto block = p_.files->ReadFile(arg(0), kReadLimit);
      return block.value ? Digest(block.value) : Failed(block.error);
    }
    if (op == "write") return Write(arg(0), arg(1));
    if (op == "hold") return Hold(arg(0));
    if (op == "release") return Release();
    if (op == "expand") return Expand(arg(0), arg(1));
    if (op == "lzread") return LzRead(arg(0));
    if (op == "name") {
      const std::optional<std::string> name = p_.lz->ExpandedName(arg(0));
      return name ? Escape(*name) : "0";
    }
    if (op == "version") return Version(arg(0));
    if (op == "install") return Install(f);
    return "unknown operation";
  }

  std::string Write(const std::string& path, const std::string& bytes) {
    const auto [file, error] = p_.files->CreateForWrite(path);
    if (file == 0) return Failed(error);
    const std::string result = Done(p_.files->WriteBytes(file, bytes));
    p_.files->CloseFile(file);
    return result;
  }

  // A file the program keeps open until "release": in use by this process.
  std::string Hold(const std::string& path) {
    const auto [file, error] = p_.files->OpenForRead(path);
    if (file == 0) return Failed(error);
    held_.push_back(file);
    return "1";
  }

  std::string Release() {
    for (const platform::File file : held_) p_.files->CloseFile(file);
    held_.clear();
    return "1";
  }

  std::string Expand(const std::string& from, const std::string& to) {
    const auto [in, openError] = p_.lz->LzOpenRead(from);
    if (in < 0) return "open " + std::to_string(in) + " e=" + std::to_string(openError);
    const auto [out, createError] = p_.lz->LzCreate(to);
    std::string result;
    if (out < 0) {
      result = "create " + std::to_string(out) + " e=" + std::to_string(createError);
    } else {
      result = "copy " + std::to_string(p_.lz->LzCopy(in, out).value);
      p_.lz->LzClose(out);
    }
    p_.lz->LzClose(in);
    return result;
  }

  std::string LzRead(const std::string& path) {
    const auto [in, error] = p_.lz->LzOpenRead(path);
    if (in < 0) return "open " + std::to_string(in) + " e=" + std::to_string(error);
    const std::string result = Digest(p_.lz->LzReadAll(in, kReadLimit));
    p_.lz->LzClose(in);
    return result;
  }

  std::string Version(const std::string& path) {
    const std::optional<platform::VersionInfo> info = p_.versions->FileVersion(version_, path).value;
    if (!info) return "none";
    char text[64];
    std::snprintf(text, sizeof text, "%s type %u/%u",
                  pe::VersionText(info->fileVersionMs, info->fileVersionLs).c_str(),
                  static_cast<unsigned>(info->fileType), static_cast<unsigned>(info->fileSubtype));
    return text;
  }

  // install FLAGS SOURCEDIR SOURCENAME DESTDIR DESTNAME CURRENTDIR [TEMP]
  std::string Install(const std::vector<std::string>& f) {
    if (f.size() < 8) return "too few fields";
    platform::InstallRequest request;
    request.flags = static_cast<std::uint32_t>(std::strtoul(f[2].c_str(), nullptr, 0));
    request.sourceDir = f[3];
    request.sourceName = f[4];
    request.destDir = f[5];
    request.destName = f[6];
    request.currentDir = f[7];
    std::string temp = f.size() > 8 ? f[8] : std::string();
    const std::uint32_t bits = p_.versions->InstallFile(version_, request, temp);
    char text[32];
    std::snprintf(text, sizeof text, "vif 0x%x", static_cast<unsigned>(bits));
    return (bits & platform::kVifTempFile) != 0 ? text + (" temp " + temp) : text;
  }

  platform::Os p_;
  platform::Library version_;
  std::function<platform::Status(const std::string&)> mkdir_;
  std::vector<platform::File> held_;
};

}  // namespace seam_table
