#include "version_texts.h"

#include "constants.h"
#include "os_owned.h"
#include "file_names.h"
#include "settings.h"
#include "text.h"

namespace boot {
namespace {

// A decimal number of at least `width` digits, as "%04d" writes it.
std::string Padded(std::uint32_t value, std::size_t width) {
  std::string digits = Decimal(value);
  return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

std::string Joined(const std::uint32_t (&parts)[4], std::size_t width) {
  std::string text;
  for (const std::uint32_t part : parts) text += (text.empty() ? "" : ".") + Padded(part, width);
  return text;
}

VersionTexts TextsOf(const platform::VersionInfo& info) {
  const std::uint32_t parts[4] = {info.fileVersionMs >> 16, info.fileVersionMs & 0xFFFF,
                                  info.fileVersionLs >> 16, info.fileVersionLs & 0xFFFF};
  return {Joined(parts, 4), Joined(parts, 1), info.FileVersion()};
}

// The version of the content a compressed file expands to, read with the
// program's own reader.
std::optional<platform::VersionInfo> ExpandedVersion(platform::LzFiles& lz, const std::string& path) {
  const platform::OwnedLzFile file(lz, lz.LzOpenRead(path).value);
  if (!file) return std::nullopt;
  const std::optional<Block> content = lz.LzReadAll(file.Get(), kWholeFileLimit);
  return content ? pe::ReadFixedFileInfo(content->View()) : std::nullopt;
}

}  // namespace

VersionTexts GetFileVersionText(BootState& state, const std::string& path) {
  const platform::Library library = state.libraries.version.Get();
  if (library == 0) return {};
  const std::optional<platform::VersionInfo> info = state.Os().versions->FileVersion(library, path).value;
  return info ? TextsOf(*info) : VersionTexts{};
}

VersionTexts GetSourceVersionText(BootState& state, const std::string& path,
                                  const std::optional<Block>& expansion) {
  VersionTexts texts = GetFileVersionText(state, path);
  if (texts.Has() || !state.libraries.version) return texts;
  const std::optional<platform::VersionInfo> info =
      expansion ? pe::ReadFixedFileInfo(expansion->View()) : ExpandedVersion(*state.Os().lz, path);
  return info ? TextsOf(*info) : VersionTexts{};
}

std::string GetFileDateText(BootState& state, const std::string& path) {
  const std::optional<platform::SystemTime> time = state.Os().files->LastWriteTime(path);
  if (!time) return {};
  return Decimal(time->year) + TwoDigits(time->month) + TwoDigits(time->day) + TwoDigits(time->hour) +
         TwoDigits(time->minute);
}

std::uint32_t VersionInstall(BootState& state, const std::string& sourceDir, const std::string& sourceName,
                             const std::string& destDir, const std::string& destName) {
  platform::InstallRequest request;
  request.flags = platform::kViffDontDeleteOld;
  request.sourceName = sourceName;
  request.destName = destName;
  request.sourceDir = sourceDir;
  request.destDir = destDir;
  std::string tempName;
  const std::uint32_t result = state.Os().versions->InstallFile(state.libraries.version.Get(), request, tempName);
  // The library keeps a newer or refused copy for a later install; this
  // run never makes that install, so the copy would only be left behind.
  if ((result & platform::kVifTempFile) != 0 && IsPlainFileName(tempName)) {
    state.Os().files->DeleteFile(destDir + tempName);
  }
  return result;
}

}  // namespace boot
