// The programs the machine runs for the program: each runs for a number
// of ticks of the message loop or of waits on it, then ends.
#pragma once

#include <map>

#include "os_types.h"

namespace host {

class ProcessTable {
 public:
  explicit ProcessTable(int runTicks) : runTicks_(runTicks) {}

  platform::Process Start() {
    ticksLeft_[nextProcess_] = runTicks_;
    return nextProcess_++;
  }
  // A process the machine never started has ended.
  bool Ended(platform::Process process) const {
    const auto found = ticksLeft_.find(process);
    return found == ticksLeft_.end() || found->second <= 0;
  }
  void Wait(platform::Process process) {
    if (const auto found = ticksLeft_.find(process); found != ticksLeft_.end()) --found->second;
  }
  void Tick() {
    for (auto& [process, ticks] : ticksLeft_) --ticks;
  }

 private:
  int runTicks_ = 2;
  std::map<platform::Process, int> ticksLeft_;
  platform::Process nextProcess_ = 1;
};

}  // namespace host
