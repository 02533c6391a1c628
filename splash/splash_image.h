// The splash window's picture: a bitmap or icon file on the media, expanded
// under a new name, read by the program's own readers and kept as a drawing
// object; the expanded copy is deleted again.
#pragma once

#include "boot_state.h"

namespace boot {

// Before the window exists: reads ImageFile ("name;icon;x;y") and makes the
// picture. A failure gives no picture and a status for the log; nothing
// here stops the run.
void LoadSplashImage(BootState& state);

// The "Img," entry, once the log section exists: the status, or 1 for a
// picture.
void LogSplashImage(BootState& state);

}  // namespace boot
