// Bytes of small bitmap and icon files for the tests.
#pragma once

#include <cstdint>
#include <string>

namespace test_image {

inline std::string U32(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}
inline std::string U16(std::uint32_t value) { return U32(value).substr(0, 2); }

struct Info {
  std::uint32_t size = 40;
  std::int32_t width = 2, height = 2;
  std::uint32_t bits = 24, compression = 0, imageSize = 0, used = 0;
};

inline std::string Header(const Info& info) {
  return U32(info.size) + U32(info.width) + U32(info.height) + U16(1) + U16(info.bits) + U32(info.compression) +
         U32(info.imageSize) + U32(0) + U32(0) + U32(info.used) + U32(0) +
         std::string(info.size > 40 ? info.size - 40 : 0, 'h');
}

inline std::string Bmp(const Info& info, const std::string& rest) { return "BM" + std::string(12, '\0') + Header(info) + rest; }

// An icon file whose first entry points at `image`; a second entry follows.
inline std::string Ico(const std::string& image, std::uint16_t type = 1, std::uint32_t size = 0) {
  const std::uint32_t offset = 6 + 2 * 16;
  const std::string entry = std::string(8, '\0') + U32(size != 0 ? size : static_cast<std::uint32_t>(image.size())) +
                            U32(offset);
  return U16(0) + U16(type) + U16(2) + entry + entry + image;
}

// A 1-bit icon image of `width` x `height` whose mask rows are numbered
// from the bottom.
inline std::string IconImage(int width, int height) {
  const std::size_t row = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  std::string mask;
  for (int i = 0; i < height; ++i) mask += std::string(row, static_cast<char>('A' + i % 26));
  return Header({.width = width, .height = 2 * height, .bits = 1}) + std::string(8, 'c') +
         std::string(row * height, 'x') + mask;
}

}  // namespace test_image
