// Any bytes may arrive as a media file: expanding must stay in bounds, and
// whatever we compress must expand to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "szdd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);

  const szdd::Expansion expansion = szdd::Expand(input);
  const auto header = szdd::ParseHeader(input);
  if (!header && (!expansion.complete || expansion.data != input)) std::abort();
  if (header && expansion.complete != (expansion.data.size() == header->length)) std::abort();

  const char stored = size > 0 ? input.back() : '\0';
  const szdd::Expansion back = szdd::Expand(szdd::Compress(input, stored));
  if (!back.complete || back.data != input) std::abort();
  return 0;
}
