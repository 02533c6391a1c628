#include "ctl3d.h"

#include <array>

namespace boot {

std::intptr_t Ctl3dFrame(BootState& state, platform::Window window, std::uint32_t message,
                         std::uintptr_t wParam, std::intptr_t lParam) {
  platform::Platform& os = state.Os();
  // Without the library nothing would paint the frame or take activation.
  if (state.libraries.dialog3d != 1 || state.libraries.ctl3d == 0) {
    return os.DefWindowProc(window, message, wParam, lParam);
  }
  const std::array<std::uintptr_t, 4> args = {window, message, wParam,
                                              static_cast<std::uintptr_t>(lParam)};
  return os.CallOrdinal(state.libraries.ctl3d, kCtl3dDlgFramePaint, args);
}

void ReleaseCtl3d(BootState& state) {
  platform::Library& library = state.libraries.ctl3d;
  if (library == 0) return;
  const std::array<std::uintptr_t, 1> args = {state.instance};
  state.Os().CallOrdinal(library, kCtl3dUnregister, args);
  state.Os().FreeLibrary(library);
  library = 0;
}

}  // namespace boot
