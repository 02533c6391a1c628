// Calls into the 3-D controls library, all by ordinal.
#pragma once

#include <cstdint>

#include "boot_state.h"

namespace boot {

inline constexpr int kCtl3dRegister = 11;
inline constexpr int kCtl3dAutoSubclass = 15;
inline constexpr int kCtl3dSubclassDlg = 2;
inline constexpr int kCtl3dDlgFramePaint = 19;
inline constexpr int kCtl3dUnregister = 12;

// Frame painting of the splash window: the library's while 3-D controls
// are in use and the library is loaded, the platform's otherwise.
std::intptr_t Ctl3dFrame(BootState& state, platform::Window window, std::uint32_t message,
                         std::uintptr_t wParam, std::intptr_t lParam);

// Unregisters and frees the library; at most once per run.
void ReleaseCtl3d(BootState& state);

}  // namespace boot
