// Any file may be named as the splash image: both readers must stay inside
// its bytes and hand on only what fits their limits, with headers that
// promise the platform no byte more than they come with.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dib_reads.h"
#include "image_files.h"

namespace {

bool Inside(std::string_view part, std::string_view whole) {
  return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

// What the platform reads by the header lies in what it is given, and the
// bits it reads lie in the file.
bool Kept(const image::Dib& dib, std::string_view input) {
  const host::DibReads reads = host::PlatformReads(dib.info);
  return Inside(dib.bits, input) && reads.info <= dib.info.size() && reads.bits <= dib.bits.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const image::Bitmap bitmap = image::ReadBitmap(input);
  if (bitmap.status == image::kOk ? !Kept(bitmap.dib, input) : !bitmap.dib.info.empty()) std::abort();
  const image::Icon icon = image::ReadIcon(input);
  if (!Inside(icon.colour.bits, input)) std::abort();
  if (icon.usable) {
    const int width = icon.colour.width;
    const int height = icon.colour.height;
    if (width < 1 || width > image::kMaxIconSize || height < 1 || height > image::kMaxIconSize) std::abort();
    if (!Kept(icon.colour, input) || icon.mask.size() != host::MaskBytes(width, height)) std::abort();
  }
  return 0;
}
