#include "image_files.h"

#include "little_endian.h"

namespace image {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoSize = 40;
constexpr std::size_t kIconHeader = 6;
constexpr std::size_t kIconEntry = 16;
constexpr std::uint64_t kIconImageLimit = 65536;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint64_t kMasksSize = 12;

std::uint32_t Read(std::string_view bytes, std::size_t at, unsigned size) {
  return boot::ReadLittleEndian(bytes, at, size);
}

// Bytes of `rows` rows of `width` pixels, each row padded to 32 bits.
std::uint64_t RowBytes(std::uint64_t bitsPerPixel, std::int64_t width) {
  return (bitsPerPixel * static_cast<std::uint64_t>(width < 0 ? -width : width) + 31) / 32 * 4;
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (unsigned i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// The information of a DIB that starts `dib`, as the platform takes it: a
// 40-byte header (a longer one is cut to it), the three colour masks of a
// bit-field bitmap, the colour table. `bitsAt` receives where the bits
// start. False when any of it runs past the end.
bool SplitDib(std::string_view dib, Dib& out, std::uint64_t& bitsAt) {
  if (dib.size() < kInfoSize) return false;
  const std::uint64_t headerSize = Read(dib, 0, 4);
  if (headerSize < kInfoSize) return false;
  const bool bitFields = Read(dib, 16, 4) == kBitFields;
  // Masks lie inside a longer header, else right after the short one.
  const bool masksInHeader = headerSize >= kInfoSize + kMasksSize;
  const std::uint64_t masksAt = masksInHeader ? kInfoSize : headerSize;
  const std::uint64_t tableAt = headerSize + (bitFields && !masksInHeader ? kMasksSize : 0);
  bitsAt = tableAt + std::uint64_t{ColorCount(dib)} * 4;
  if (bitsAt > dib.size()) return false;  // so is all before it
  out.info.assign(dib.substr(0, kInfoSize));
  PutU32(out.info, 0, kInfoSize);
  if (bitFields) out.info.append(dib.substr(masksAt, kMasksSize));
  out.info.append(dib.substr(tableAt, bitsAt - tableAt));
  out.width = static_cast<std::int32_t>(Read(dib, 4, 4));
  out.height = static_cast<std::int32_t>(Read(dib, 8, 4));
  return true;
}

Icon Refused(int status) {
  Icon icon;
  icon.status = status;
  return icon;
}

}  // namespace

std::uint32_t ColorCount(std::string_view info) {
  if (info.size() < kInfoSize) return 0;
  const std::uint32_t used = Read(info, 32, 4) & 0xFFFF;
  if (used != 0) return used;
  switch (Read(info, 14, 2)) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

Bitmap ReadBitmap(std::string_view file) {
  Bitmap bitmap;
  if (file.size() < kFileHeader || Read(file, 0, 2) != 0x4D42) return Bitmap{kNotABitmap, {}};
  const std::string_view dib = file.substr(kFileHeader);
  std::uint64_t bitsAt = 0;
  if (!SplitDib(dib, bitmap.dib, bitsAt)) return Bitmap{kBitmapIncomplete, {}};
  // Compressed bits are as long as the header says; plain rows as the size.
  const std::uint32_t compression = Read(dib, 16, 4);
  const bool plain = compression == kUncompressed || compression == kBitFields;
  const std::int64_t height = bitmap.dib.height;
  const std::uint64_t needed = !plain ? Read(dib, 20, 4)
                                      : RowBytes(Read(dib, 14, 2), bitmap.dib.width) *
                                            static_cast<std::uint64_t>(height < 0 ? -height : height);
  // Without its length, compressed data would be decoded up to an end mark
  // that may lie beyond the file.
  if ((!plain && needed == 0) || needed > dib.size() - bitsAt) return Bitmap{kBitmapIncomplete, {}};
  bitmap.dib.bits = dib.substr(bitsAt, needed);
  return bitmap;
}

Icon ReadIcon(std::string_view file) {
  Icon icon;
  if (file.size() < kIconHeader + kIconEntry) return Refused(kIconHeaderIncomplete);
  if (Read(file, 2, 2) != 1) return Refused(kNotAnIcon);
  const std::uint64_t size = Read(file, kIconHeader + 8, 4);
  const std::uint64_t offset = Read(file, kIconHeader + 12, 4);
  if (size >= kIconImageLimit || offset > file.size() || size > file.size() - offset) return icon;
  const std::string_view image = file.substr(offset, size);
  std::uint64_t colourAt = 0;
  if (!SplitDib(image, icon.colour, colourAt)) return Refused(kIconUnusable);
  // The image holds colour rows and mask rows: its height counts both.
  const int width = icon.colour.width;
  const int height = icon.colour.height / 2;
  const std::uint64_t colourBytes = RowBytes(Read(image, 14, 2), width) * static_cast<std::uint64_t>(height);
  const std::uint64_t maskRow = RowBytes(1, width);
  const bool fits = width >= 1 && width <= kMaxIconSize && height >= 1 && height <= kMaxIconSize &&
                    colourAt + colourBytes + maskRow * height <= image.size();
  if (!fits) return Refused(kIconUnusable);
  icon.colour.height = height;
  PutU32(icon.colour.info, 8, static_cast<std::uint32_t>(height));
  icon.colour.bits = image.substr(colourAt, colourBytes);
  // The file's mask runs bottom-up in 32-bit rows; the platform takes it
  // top-down in rows of 16-bit words.
  const std::size_t wordRow = (static_cast<std::size_t>(width) + 15) / 16 * 2;
  const std::uint64_t maskAt = colourAt + colourBytes;
  for (int row = height - 1; row >= 0; --row) {
    icon.mask.append(image.substr(maskAt + maskRow * static_cast<std::uint64_t>(row), wordRow));
  }
  icon.usable = true;
  return icon;
}

}  // namespace image
