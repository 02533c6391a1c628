// The program's one window and its messages: the class's procedure, the
// window's state, its timers and the quit the loop ends on. The
// description can make the window or its timer fail.
#pragma once

#include <map>
#include <optional>

#include "os_types.h"

namespace host {

struct WindowState {
  platform::WindowProc proc = nullptr;
  platform::Window window = 0;
  bool visible = false;
  int background = 0;  // the class's, for the picture
  std::map<std::uintptr_t, unsigned> timers;  // id, ms
  std::optional<int> quit;
  bool createFails = false;
  bool timerFails = false;
};

}  // namespace host
