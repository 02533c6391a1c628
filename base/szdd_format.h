// Internal to the SZDD codec: the format's constants, shared by the reader
// that the program uses and the writer that only the media tools use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace szdd::format {

inline constexpr std::string_view kMagic{"SZDD\x88\xF0\x27\x33", 8};
inline constexpr char kModeA = 'A';

// The LZSS ring shared by both directions.
inline constexpr std::size_t kWindow = 4096;
inline constexpr std::size_t kRingMask = kWindow - 1;
inline constexpr std::size_t kFirstWrite = kWindow - 16;
inline constexpr std::size_t kMinMatch = 3;
inline constexpr std::size_t kMaxMatch = 18;
inline constexpr std::size_t kMaxGroupOutput = 8 * kMaxMatch;  // one flag byte's worth

}  // namespace szdd::format
