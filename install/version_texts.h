// The texts by which the installation loop compares files, and the
// version library's install call.
#pragma once

#include <cstdint>
#include <string>

#include "boot_state.h"

namespace boot {

struct VersionTexts {
  std::string padded;  // "0004.0000.0002.0000": compares in version order
  std::string plain;   // "4.0.2.0": the form of a record's Version field
  // The four numbers as one: "10.0.19041.1" after "10.0.9600.0", which the
  // padded text would sort the other way.
  std::uint64_t number = 0;

  bool Has() const { return plain.size() > 1; }
};

// Both texts of a file's version; empty when it has none, cannot be read,
// or no version library is loaded.
VersionTexts GetFileVersionText(BootState& state, const std::string& path);

// The same for a file on the media. A compressed file has the version of
// the content it expands to: the version library reads none from it.
// `expansion`, when given, is that content, already read.
VersionTexts GetSourceVersionText(BootState& state, const std::string& path,
                                  const std::optional<Block>& expansion = std::nullopt);

// The last-write time in UTC to the minute ("199807150905"); empty when
// the file cannot be read.
std::string GetFileDateText(BootState& state, const std::string& path);

// Installs one file through the version library, never deleting a copy
// elsewhere; the platform's result bits, 0 when installed. A temporary
// file that the library keeps beside the destination is removed.
std::uint32_t VersionInstall(BootState& state, const std::string& sourceDir, const std::string& sourceName,
                             const std::string& destDir, const std::string& destName);

}  // namespace boot
