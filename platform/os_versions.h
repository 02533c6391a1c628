// The version library: version information and install-by-version.
#pragma once

#include "os_types.h"

namespace platform {

class Versions {
 public:
  // The version library, through the entries of `versionLibrary` (a
  // loaded handle). Nothing when the file has no version information or
  // cannot be read.
  virtual Result<std::optional<VersionInfo>> FileVersion(Library versionLibrary,
                                                         const std::string& path) = 0;
  // The platform's kVif... bits, 0 when installed; kVifCannotReadSrc may
  // come for a source path longer than kLongestInstallSource. `tempName` gives the
  // temporary file to reuse under kViffForceInstall and receives the name
  // (without directory) of the one kept when kVifTempFile is set.
  virtual std::uint32_t InstallFile(Library versionLibrary, const InstallRequest& request,
                                    std::string& tempName) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~Versions() = default;
};

}  // namespace platform
