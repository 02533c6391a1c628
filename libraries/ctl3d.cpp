#include "ctl3d.h"

#include <array>
#include <span>

namespace boot {
namespace {

// Calls the entry with its own arguments into `result`; false, calling
// nothing, when the library lacks it.
bool Call(BootState& state, const Ctl3dEntry& entry, std::span<const std::uintptr_t> args,
          std::intptr_t& result) {
  const platform::Os& os = state.Os();
  const platform::Entry found = os.libraries->FindEntry(state.libraries.ctl3d.Get(), entry.name, entry.ordinal);
  if (found == 0) return false;
  result = os.libraries->CallEntry(found, args);
  return true;
}

}  // namespace

bool StartCtl3d(BootState& state) {
  const std::array<std::uintptr_t, 1> instance = {state.instance};
  const std::array<std::uintptr_t, 2> dialog = {state.splash.window, kCtl3dAll};
  std::intptr_t ignored = 0;
  if (!Call(state, kCtl3dRegister, instance, ignored)) return false;
  Call(state, kCtl3dAutoSubclass, instance, ignored);
  Call(state, kCtl3dSubclassDlg, dialog, ignored);
  return true;
}

std::intptr_t Ctl3dFrame(BootState& state, platform::Window window, std::uint32_t message,
                         std::uintptr_t wParam, std::intptr_t lParam) {
  const std::array<std::uintptr_t, 4> args = {window, message, wParam, static_cast<std::uintptr_t>(lParam)};
  std::intptr_t result = 0;
  if (state.libraries.dialog3d && Call(state, kCtl3dDlgFramePaint, args, result)) return result;
  // Without the library's painter nothing would paint the frame or take activation.
  return state.Os().windows->DefWindowProc(window, message, wParam, lParam);
}

void ReleaseCtl3d(BootState& state) {
  // Without a library nothing is found and nothing freed.
  const std::array<std::uintptr_t, 1> instance = {state.instance};
  std::intptr_t ignored = 0;
  Call(state, kCtl3dUnregister, instance, ignored);
  state.libraries.ctl3d.Reset();
}

}  // namespace boot
