// Any file may be named as the splash image: both readers must stay inside
// its bytes and hand on only what fits their limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "image_files.h"

namespace {

bool Inside(std::string_view part, std::string_view whole) {
  return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const image::Bitmap bitmap = image::ReadBitmap(input);
  if (!Inside(bitmap.dib.bits, input)) std::abort();
  if (bitmap.status != image::kOk && !bitmap.dib.info.empty()) std::abort();
  const image::Icon icon = image::ReadIcon(input);
  if (!Inside(icon.colour.bits, input)) std::abort();
  if (icon.usable) {
    const int width = icon.colour.width;
    const int height = icon.colour.height;
    if (width < 1 || width > image::kMaxIconSize || height < 1 || height > image::kMaxIconSize) std::abort();
    if (icon.mask.size() != static_cast<std::size_t>((width + 15) / 16 * 2 * height)) std::abort();
  }
  return 0;
}
