#include "splash_image.h"

#include <optional>

#include "constants.h"
#include "expand_copy.h"
#include "file_names.h"
#include "image_files.h"
#include "settings.h"
#include "setup_log.h"
#include "splash_line.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {

constexpr int kFitToBitmap = 3;
constexpr int kMaxCopyNames = 99;

// The described name when no file has it, else a free variant beside it:
// the copy is deleted afterwards, so it must never be a file of the machine.
std::string NewFileName(platform::FileSystem& files, const std::string& path) {
  if (!files.FileExists(path)) return path;
  for (int n = 1; n <= kMaxCopyNames; ++n) {
    std::string variant = WithNumberExtension(path, n);
    if (!files.FileExists(variant)) return variant;
  }
  return {};
}

// The file's bytes; nothing, with the reader's status, when they cannot be had.
std::optional<Block> ReadImageFile(BootState& state, const std::string& path, bool icon) {
  const platform::Os& os = state.Os();
  platform::Result<std::optional<Block>> read = os.files->ReadFile(path, kWholeFileLimit);
  if (!read.value) {
    const std::uint32_t error = read.error;
    const bool tooLarge = error == platform::kErrorFileTooLarge || error == platform::kErrorNotEnoughMemory;
    state.splash.imageStatus = icon ? (tooLarge ? image::kIconUnusable : image::kIconHeaderIncomplete)
                                    : (tooLarge ? image::kNoMemory : image::kCannotOpen);
  }
  return std::move(read.value);
}

void MakePicture(BootState& state, std::string_view file) {
  Splash& splash = state.splash;
  const platform::Os& os = state.Os();
  if (splash.imageIsIcon) {
    const image::Icon icon = image::ReadIcon(file);
    splash.imageStatus = icon.status;
    if (icon.usable) splash.image = os.painting->CreateIcon(state.instance, icon);
    return;
  }
  const image::Bitmap bitmap = image::ReadBitmap(file);
  splash.imageStatus = bitmap.status;
  if (bitmap.status != image::kOk) return;
  splash.image = os.painting->CreateBitmap(bitmap.dib);
  const auto size = splash.image != 0 ? os.painting->BitmapSize(splash.image) : std::nullopt;
  if (size && splash.style == kFitToBitmap) {
    splash.width = size->first;
    splash.height = size->second;
  }
}

}  // namespace

void LoadSplashImage(BootState& state) {
  Splash& splash = state.splash;
  const std::string value = ReadTextSetting(state, ids::kImageFile, "", kImageFileCapacity);
  const std::vector<std::string_view> fields = SplitPieces(value, 4);
  if (fields.empty()) return;
  const auto number = [&fields](std::size_t n) { return n < fields.size() ? ParseLeadingInt(fields[n]) : 0; };
  const std::string name(fields[0]);
  splash.imageIsIcon = number(1) != 0;
  splash.imageX = number(2);
  splash.imageY = number(3);
  splash.imagePath = state.dirs.dest + name;
  // The name may reach into a folder below, never out of it.
  if (!IsRelativePath(name)) {
    splash.imageStatus = image::kNotExpanded;
    return;
  }
  const platform::Os& os = state.Os();
  const std::string copy = NewFileName(*os.files, splash.imagePath);
  const std::string source = state.dirs.source + name.substr(0, name.size() - 1) + "_";
  if (copy.empty() || ExpandCopy(state, source, copy, false) != CopyOutcome::kCopied) {
    splash.imageStatus = image::kNotExpanded;
    return;
  }
  if (const std::optional<Block> file = ReadImageFile(state, copy, splash.imageIsIcon)) {
    MakePicture(state, file->View());
  }
  os.files->DeleteFile(copy);
}

void LogSplashImage(BootState& state) {
  const Splash& splash = state.splash;
  if (splash.imagePath.empty()) return;
  if (splash.imageStatus < 0) {
    WriteLogEntry(state, logged::kImage + splash.imagePath, std::to_string(splash.imageStatus));
  } else if (splash.image != 0) {
    WriteLogEntry(state, logged::kImage + splash.imagePath, logged::kYes);
  }
}

}  // namespace boot
