#include "ctl3d.h"

#include <array>

namespace boot {

std::intptr_t Ctl3dFrame(BootState& state, platform::Window window, std::uint32_t message,
                         std::uintptr_t wParam, std::intptr_t lParam) {
  platform::Platform& os = state.Os();
  // Without the library nothing would paint the frame or take activation.
  if (state.dialog3d != 1 || state.ctl3dLibrary == 0) {
    return os.DefWindowProc(window, message, wParam, lParam);
  }
  const std::array<std::uintptr_t, 4> args = {window, message, wParam,
                                              static_cast<std::uintptr_t>(lParam)};
  return os.CallOrdinal(state.ctl3dLibrary, kCtl3dDlgFramePaint, args);
}

void ReleaseCtl3d(BootState& state) {
  if (state.ctl3dLibrary == 0) return;
  const std::array<std::uintptr_t, 1> args = {state.instance};
  state.Os().CallOrdinal(state.ctl3dLibrary, kCtl3dUnregister, args);
  state.Os().FreeLibrary(state.ctl3dLibrary);
  state.ctl3dLibrary = 0;
}

}  // namespace boot
