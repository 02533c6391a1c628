// What the platform's drawing library reads of a device-independent bitmap
// it is handed, by its own rules and not the readers': the simulated
// machine and the tests use it to see whether a header promises more than
// came with it.
#pragma once

#include <cstdint>
#include <string_view>

namespace host {

struct DibReads {
  std::uint64_t info = 0;  // header, colour masks and colour table
  std::uint64_t bits = 0;
};

// Counted without wrapping: a size beyond 64 bits reads as the largest.
DibReads PlatformReads(std::string_view info);

// Mask rows as a monochrome bitmap takes them: 16-bit words, top row first.
std::uint64_t MaskBytes(int width, int height);

}  // namespace host
