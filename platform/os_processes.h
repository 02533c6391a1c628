// Processes the program starts and waits for.
#pragma once

#include "os_types.h"

namespace platform {

class Processes {
 public:
  struct Started {
    bool ok = false;
    Process process = 0;
    std::uint32_t error = 0;
  };
  virtual Started StartProcess(const std::string& commandLine) = 0;
  // True when the process has ended, or when it cannot be waited for.
  virtual bool ProcessEnded(Process process) = 0;
  // Sleeps until the process ends or a message for the program arrives,
  // without using the processor meanwhile.
  virtual void WaitForProcessOrMessage(Process process) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~Processes() = default;
};

}  // namespace platform
