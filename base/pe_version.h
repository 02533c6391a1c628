// The fixed version information of a program or library file: the
// version resource of a PE32 or PE32+ image, read from its bytes alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pe {

struct FixedFileInfo {
  std::uint32_t fileVersionMs = 0;  // a.b as high and low word
  std::uint32_t fileVersionLs = 0;  // c.d
  std::uint32_t fileType = 0;
  std::uint32_t fileSubtype = 0;

  // One number that orders versions as the platform compares them.
  std::uint64_t FileVersion() const {
    return (std::uint64_t{fileVersionMs} << 32) | fileVersionLs;
  }
  bool operator==(const FixedFileInfo&) const = default;
};

// Nothing when the bytes are not an image with a well-formed version
// resource. Never reads outside `file`, whatever it holds.
std::optional<FixedFileInfo> ReadFixedFileInfo(std::string_view file);

// What the platform's version library reads: the fixed part where the
// version resource's data places it, whatever the block's own lengths and
// signature say (the library checks none of them); `valueLength` receives
// the block's value length. Nothing when the data lies outside the file.
std::optional<FixedFileInfo> ReadFixedFileInfoAsLibrary(std::string_view file,
                                                        std::uint32_t& valueLength);

// Entry `index` of a PE32 or PE32+ image's data directories: an address
// (relative to the image; a file offset for the security directory) and a
// size. Nothing when the file is no image or has no such entry.
struct DataDirectory {
  std::uint32_t address = 0;
  std::uint32_t size = 0;
};
std::optional<DataDirectory> FindDataDirectory(std::string_view file, std::uint32_t index);

// "a.b.c.d", each part in decimal.
std::string VersionText(std::uint32_t ms, std::uint32_t ls);

}  // namespace pe
