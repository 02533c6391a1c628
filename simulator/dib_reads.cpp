#include "dib_reads.h"

#include <algorithm>
#include <limits>

#include "little_endian.h"

namespace host {
namespace {

constexpr std::uint64_t kHeaderSize = 40;
constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Times(std::uint64_t a, std::uint64_t b) {
  std::uint64_t product = 0;
  return __builtin_mul_overflow(a, b, &product) ? kMost : product;
}

std::uint64_t Magnitude(std::int32_t value) {
  return value < 0 ? static_cast<std::uint64_t>(-std::int64_t{value}) : static_cast<std::uint64_t>(value);
}

}  // namespace

DibReads PlatformReads(std::string_view info) {
  if (info.size() < kHeaderSize) return {kHeaderSize, 0};
  const auto field = [info](std::size_t at, unsigned size) { return boot::ReadLittleEndian(info, at, size); };
  const std::uint32_t bitCount = field(14, 2), compression = field(16, 4), used = field(32, 4);
  const std::uint64_t masks = compression == 3 ? 12 : 0;
  // Any count that is stated is taken whole, whatever the bit depth.
  const std::uint64_t colours = used != 0 ? used : bitCount <= 8 ? std::uint64_t{1} << bitCount : 0;
  DibReads reads;
  reads.info = std::max<std::uint64_t>(field(0, 4), kHeaderSize + masks) + colours * 4;
  if (compression != 0 && compression != 3) {
    reads.bits = field(20, 4);
    return reads;
  }
  const std::uint64_t rowBits = Times(bitCount, Magnitude(static_cast<std::int32_t>(field(4, 4))));
  const std::uint64_t row = rowBits == kMost ? kMost : (rowBits + 31) / 32 * 4;
  reads.bits = Times(row, Magnitude(static_cast<std::int32_t>(field(8, 4))));
  return reads;
}

std::uint64_t MaskBytes(int width, int height) {
  return Times((Magnitude(width) + 15) / 16 * 2, Magnitude(height));
}

}  // namespace host
