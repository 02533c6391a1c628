// Facts about the system and the program, and its resources.
#pragma once

#include "os_types.h"

namespace platform {

class SystemFacts {
 public:
  virtual std::string LoadString(Instance instance, int id, std::size_t capacity) = 0;

  // The program's whole path, however long.
  virtual std::string ModuleFileName() = 0;
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::uint32_t Version() = 0;
  // USER32's "WNetGetCaps" looked up by name; nothing when it is absent.
  virtual std::optional<std::uint16_t> NetworkCaps(int index) = 0;
  virtual SystemTime SystemTimeUtc() = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~SystemFacts() = default;
};

}  // namespace platform
