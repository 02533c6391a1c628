#include "ctl3d.h"

#include <array>
#include <span>

namespace boot {
namespace {

platform::Entry Find(BootState& state, const Ctl3dEntry& entry) {
  return state.Os().FindEntry(state.libraries.ctl3d, entry.name, entry.ordinal);
}

// Calls the entry with its own arguments, or nothing when it is missing.
std::intptr_t Call(BootState& state, const Ctl3dEntry& entry, std::span<const std::uintptr_t> args) {
  const platform::Entry found = Find(state, entry);
  return found != 0 ? state.Os().CallEntry(found, args) : 0;
}

}  // namespace

bool StartCtl3d(BootState& state) {
  const platform::Entry reg = Find(state, kCtl3dRegister);
  if (reg == 0) return false;
  const std::array<std::uintptr_t, 1> instance = {state.instance};
  const std::array<std::uintptr_t, 2> dialog = {state.splash.window, kCtl3dAll};
  state.Os().CallEntry(reg, instance);
  Call(state, kCtl3dAutoSubclass, instance);
  Call(state, kCtl3dSubclassDlg, dialog);
  return true;
}

std::intptr_t Ctl3dFrame(BootState& state, platform::Window window, std::uint32_t message,
                         std::uintptr_t wParam, std::intptr_t lParam) {
  platform::Platform& os = state.Os();
  const platform::Entry paint =
      state.libraries.dialog3d == 1 && state.libraries.ctl3d != 0 ? Find(state, kCtl3dDlgFramePaint) : 0;
  // Without the library's painter nothing would paint the frame or take activation.
  if (paint == 0) return os.DefWindowProc(window, message, wParam, lParam);
  const std::array<std::uintptr_t, 4> args = {window, message, wParam, static_cast<std::uintptr_t>(lParam)};
  return os.CallEntry(paint, args);
}

void ReleaseCtl3d(BootState& state) {
  platform::Library& library = state.libraries.ctl3d;
  if (library == 0) return;
  const std::array<std::uintptr_t, 1> instance = {state.instance};
  Call(state, kCtl3dUnregister, instance);
  state.Os().FreeLibrary(library);
  library = 0;
}

}  // namespace boot
