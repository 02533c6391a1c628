// Calls into the 3-D controls library: each entry looked up by its
// documented name, else by its ordinal, and skipped when it has neither.
#pragma once

#include <cstdint>

#include "boot_state.h"

namespace boot {

struct Ctl3dEntry {
  const char* name;
  int ordinal;
};

inline constexpr Ctl3dEntry kCtl3dRegister = {"Ctl3dRegister", 12};
inline constexpr Ctl3dEntry kCtl3dAutoSubclass = {"Ctl3dAutoSubclass", 16};
inline constexpr Ctl3dEntry kCtl3dSubclassDlg = {"Ctl3dSubclassDlg", 2};
inline constexpr Ctl3dEntry kCtl3dDlgFramePaint = {"Ctl3dDlgFramePaint", 20};
inline constexpr Ctl3dEntry kCtl3dUnregister = {"Ctl3dUnregister", 13};
// Ctl3dSubclassDlg's flags: every kind of control.
inline constexpr std::uintptr_t kCtl3dAll = 0xFFFF;

// Registers the program with the loaded library and subclasses the splash
// window. False, with nothing called, when there is no library or it has
// no register entry: such a library is not used.
bool StartCtl3d(BootState& state);

// Frame painting of the splash window: the library's while 3-D controls
// are in use and the library is loaded, the platform's otherwise.
std::intptr_t Ctl3dFrame(BootState& state, platform::Window window, std::uint32_t message,
                         std::uintptr_t wParam, std::intptr_t lParam);

// Unregisters and frees the library; at most once per run.
void ReleaseCtl3d(BootState& state);

}  // namespace boot
