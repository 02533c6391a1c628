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
constexpr std::uint32_t kMostOptionalColours = 256;

std::uint32_t Read(std::string_view bytes, std::size_t at, unsigned size) {
  return boot::ReadLittleEndian(bytes, at, size);
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (unsigned i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

bool Compressed(std::string_view info) {
  const std::uint32_t compression = Read(info, 16, 4);
  return compression != kUncompressed && compression != kBitFields;
}

// The bit depths a screen draws, by compression: plain, 8-bit and 4-bit
// run lengths, bit fields. The platform reads any other form by rules of
// its own that the readers do not check.
constexpr std::uint64_t kDrawableDepths[] = {
    1ull << 1 | 1ull << 4 | 1ull << 8 | 1ull << 16 | 1ull << 24 | 1ull << 32, 1ull << 8, 1ull << 4,
    1ull << 16 | 1ull << 32};

bool Drawable(std::string_view info) {
  const std::uint32_t bits = Read(info, 14, 2), compression = Read(info, 16, 4);
  return compression <= kBitFields && bits <= 32 && (kDrawableDepths[compression] >> bits & 1) != 0;
}

// The bytes of bits the platform reads for the header `info`: compressed
// bits as long as it says, plain rows padded to 32 bits. Every product is
// checked; 0 (which no drawable header gives) for a header the screen
// cannot draw or a size beyond 32 bits.
std::uint32_t BitsBytes(std::string_view info) {
  const std::int32_t width = static_cast<std::int32_t>(Read(info, 4, 4));
  const std::int32_t height = static_cast<std::int32_t>(Read(info, 8, 4));
  if (!Drawable(info) || width < 1) return 0;
  std::uint32_t size = Read(info, 20, 4);
  // Without its length, compressed data would be decoded up to an end
  // mark that may lie beyond the file; top-down it is not drawn.
  if (Compressed(info)) return height > 0 ? size : 0;
  // Unsigned: a height of -2^31 is 2^31 rows, whose bytes overflow.
  const std::uint32_t rows = height < 0 ? 0u - static_cast<std::uint32_t>(height) : static_cast<std::uint32_t>(height);
  std::uint32_t rowBits = 0;
  if (__builtin_mul_overflow(Read(info, 14, 2), static_cast<std::uint32_t>(width), &rowBits)) return 0;
  const std::uint32_t row = rowBits / 32 * 4 + (rowBits % 32 != 0 ? 4 : 0);
  return __builtin_mul_overflow(row, rows, &size) ? 0 : size;
}

// Entries the platform takes from a table of `count`: at most one per
// colour of a bit depth of 8 or less, else at most the 256 it ever reads.
std::uint32_t PassedColours(std::uint32_t count, std::uint32_t bitsPerPixel) {
  const std::uint32_t most = bitsPerPixel <= 8 ? 1u << bitsPerPixel : kMostOptionalColours;
  return count < most ? count : most;
}

enum class Split { kTaken, kNotTaken, kPastEnd };

// The information of a DIB that starts `dib`, as the platform takes it: a
// 40-byte header (a longer one is cut to it), the three colour masks of a
// bit-field bitmap, the colour table, whose count the header then states
// exactly. `bitsAt` receives where the bits start. kNotTaken for a header
// shorter than 40 bytes (the 12-byte one of older bitmaps), kPastEnd when
// any part runs past the end.
Split SplitDib(std::string_view dib, Dib& out, std::uint64_t& bitsAt) {
  if (dib.size() < 4) return Split::kPastEnd;
  const std::uint64_t headerSize = Read(dib, 0, 4);
  if (headerSize < kInfoSize) return Split::kNotTaken;
  if (dib.size() < kInfoSize) return Split::kPastEnd;
  const bool bitFields = Read(dib, 16, 4) == kBitFields;
  // Masks lie inside a longer header, else right after the short one.
  const bool masksInHeader = headerSize >= kInfoSize + kMasksSize;
  const std::uint64_t masksAt = masksInHeader ? kInfoSize : headerSize;
  const std::uint64_t tableAt = headerSize + (bitFields && !masksInHeader ? kMasksSize : 0);
  const std::uint32_t colours = ColorCount(dib);
  bitsAt = tableAt + std::uint64_t{colours} * 4;
  if (bitsAt > dib.size()) return Split::kPastEnd;  // so is all before it
  out.info.assign(dib.substr(0, kInfoSize));
  PutU32(out.info, 0, kInfoSize);
  if (bitFields) out.info.append(dib.substr(masksAt, kMasksSize));
  const std::uint32_t passed = PassedColours(colours, Read(dib, 14, 2));
  out.info.append(dib.substr(tableAt, std::uint64_t{passed} * 4));
  // The platform takes the whole 32 bits of the count, not its low half.
  if (Read(dib, 32, 4) != 0) PutU32(out.info, 32, passed);
  out.width = static_cast<std::int32_t>(Read(dib, 4, 4));
  out.height = static_cast<std::int32_t>(Read(dib, 8, 4));
  return Split::kTaken;
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
  const Split split = SplitDib(dib, bitmap.dib, bitsAt);
  if (split != Split::kTaken) return Bitmap{split == Split::kNotTaken ? kNotABitmap : kBitmapIncomplete, {}};
  const std::uint32_t needed = BitsBytes(bitmap.dib.info);
  if (needed == 0 || needed > dib.size() - bitsAt) return Bitmap{kBitmapIncomplete, {}};
  PutU32(bitmap.dib.info, 20, needed);
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
  if (SplitDib(image, icon.colour, colourAt) != Split::kTaken) return Refused(kIconUnusable);
  // The image holds colour rows and mask rows: its height counts both.
  const int width = icon.colour.width;
  const int height = icon.colour.height / 2;
  if (width < 1 || width > kMaxIconSize || height < 1 || height > kMaxIconSize) return Refused(kIconUnusable);
  icon.colour.height = height;
  PutU32(icon.colour.info, 8, static_cast<std::uint32_t>(height));
  // Compressed colour bits would be decoded by their stated size, which
  // says nothing of where the mask begins.
  const std::uint32_t colourBytes = Compressed(icon.colour.info) ? 0 : BitsBytes(icon.colour.info);
  const std::uint64_t maskRow = (static_cast<std::uint64_t>(width) + 31) / 32 * 4;
  if (colourBytes == 0 || colourAt + colourBytes + maskRow * height > image.size()) return Refused(kIconUnusable);
  PutU32(icon.colour.info, 20, colourBytes);
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
