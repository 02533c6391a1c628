// Little-endian numbers inside file bytes, as Windows formats store them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace boot {

// The `size` bytes (at most 4) at `at`, which the caller has checked lie
// inside `bytes`.
inline std::uint32_t ReadLittleEndian(std::string_view bytes, std::size_t at, unsigned size) {
  std::uint32_t value = 0;
  for (unsigned i = size; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

inline void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace boot
