// Any file may be asked for its version: the reader must stay inside the
// bytes and end, whatever the headers and the resource tree claim.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const auto info = pe::ReadFixedFileInfo(input);
  if (info && pe::VersionText(info->fileVersionMs, info->fileVersionLs).size() > 23) std::abort();
  // The library's reading finds the fixed part where the strict one does.
  std::uint32_t valueLength = 0;
  const auto loose = pe::ReadFixedFileInfoAsLibrary(input, valueLength);
  if (info && loose && !(*info == *loose)) std::abort();
  return 0;
}
