// Profile files (INI files). A bare file name means a file in the Windows
// directory.
#pragma once

#include "os_types.h"

namespace platform {

class ProfileFiles {
 public:
  virtual std::string ReadProfileString(const std::string& section, const std::string& key,
                                        const std::string& defaultText, std::size_t capacity,
                                        const std::string& file) = 0;
  virtual std::uint32_t ReadProfileInt(const std::string& section, const std::string& key,
                                       int defaultValue, const std::string& file) = 0;
  virtual bool WriteProfileString(const std::string& section, const std::string& key,
                                  const std::string& value, const std::string& file) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~ProfileFiles() = default;
};

}  // namespace platform
