#include "splash_window.h"

#include "settings.h"
#include "string_ids.h"
#include "text.h"
#include "launch.h"
#include "constants.h"
#include "ctl3d.h"
#include "splash_line.h"

namespace boot {
namespace {

BootState* g_state = nullptr;

void Paint(BootState& state, platform::Window window) {
  platform::Platform& os = state.Os();
  const platform::Dc dc = os.BeginPaint(window);
  os.SetBkMode(dc, platform::kTransparent);
  if (state.splashImage != 0) {
    if (state.imageIsIcon != 0) {
      os.DrawIcon(dc, state.imageX, state.imageY, state.splashImage);
    } else {
      DrawBitmap(os, dc, state.imageX, state.imageY, state.splashImage, platform::kSrcCopy);
    }
  }
  for (int field = 2; field <= 5; ++field) {
    DrawSplashLine(state, dc, GetField(state.splashText, field, '|'));
  }
  os.EndPaint(window, dc);
}

}  // namespace

void AttachSplashState(BootState* state) { g_state = state; }

void ReadSplashLines(BootState& state) {
  for (int n = 1; n <= 4; ++n) {
    const std::string fallback = n == 1 ? LoadText(state, ids::kDefaultMessage1) : "*";
    state.splashText += ReadTextSetting(state, ids::kDialogMessage, fallback, kLineCapacity,
                                        std::to_string(n)) + "|";
  }
}

SplashPlacement PlaceSplashWindow(int dialogStyle, int width, int height, int screenWidth,
                                  int screenHeight) {
  using namespace platform;
  SplashPlacement placement;
  if (dialogStyle <= 0) {
    placement.style = kWsPopup | kWsCaption | kDsModalFrame;
    placement.exStyle = kWsExDlgModalFrame;
  } else if (dialogStyle == 1) {
    placement.style = kWsCaption | kDsModalFrame;
  } else if (dialogStyle == 2) {
    placement.style = kWsPopup | kWsDlgFrame | kDsModalFrame;
  } else {
    placement.style = kWsPopup;
  }
  placement.x = screenWidth / 2 - width / 2;
  placement.y = screenHeight / 2 - height / 2;
  return placement;
}

platform::Window CreateSplashWindow(BootState& state, const std::string& title, int dialogStyle) {
  platform::Platform& os = state.Os();
  const SplashPlacement placement =
      PlaceSplashWindow(dialogStyle, state.splashWidth, state.splashHeight,
                        os.SystemMetric(platform::kSmCxScreen), os.SystemMetric(platform::kSmCyScreen));
  platform::WindowParams params;
  params.exStyle = placement.exStyle;
  params.className = kSplashClass;
  params.title = title;
  params.style = placement.style;
  params.x = placement.x;
  params.y = placement.y;
  params.width = state.splashWidth;
  params.height = state.splashHeight;
  const platform::Window window = os.CreateWindow(state.instance, params);
  if (window == 0) return 0;
  if (dialogStyle < 2) state.splashHeight -= os.SystemMetric(platform::kSmCyCaption);
  return window;
}

std::intptr_t SplashWndProc(platform::Window window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  if (g_state == nullptr) return 0;
  BootState& state = *g_state;
  switch (message) {
    case platform::kWmPaint:
      Paint(state, window);
      return 0;
    case platform::kWmDestroy:
      state.Os().PostQuit(0);
      return 0;
    case platform::kWmNcPaint:
    case platform::kWmNcActivate:
      return Ctl3dFrame(state, window, message, wParam, lParam);
    case platform::kWmTimer:
      OnWaitTimer(state, window);
      return 0;
    default:
      return state.Os().DefWindowProc(window, message, wParam, lParam);
  }
}

void DrawSplashLine(BootState& state, platform::Dc dc, const std::string& line) {
  const auto layout = LayOutSplashLine(line, state.splashWidth, state.splashHeight);
  if (!layout) return;
  state.Os().DrawText(dc, layout->text, layout->box, layout->format);
}

int DrawBitmap(platform::Platform& os, platform::Dc dc, int x, int y, platform::Gdi bitmap,
               std::uint32_t rop) {
  if (dc == 0 || bitmap == 0) return 0;
  const platform::Dc memory = os.CreateCompatibleDc(dc);
  const auto size = os.BitmapSize(bitmap);
  os.SelectObject(memory, bitmap);
  const int width = size ? size->first : 0;
  const int height = size ? size->second : 0;
  const bool result = os.BitBlt(dc, x, y, width, height, memory, 0, 0, rop);
  os.DeleteDc(memory);
  return result ? 1 : 0;
}

}  // namespace boot
