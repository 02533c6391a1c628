// Little-endian numbers inside file bytes, as Windows formats store them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace boot {

// The `size` bytes (at most 4) at `at`, which the caller has checked lie
// inside `bytes`.
inline std::uint32_t ReadLittleEndian(std::string_view bytes, std::size_t at, unsigned size) {
  std::uint32_t value = 0;
  for (unsigned i = size; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace boot
