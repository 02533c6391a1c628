#include "splash_window.h"

#include <algorithm>
#include <climits>

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

constexpr std::size_t kSplashLines = 4;

void Paint(BootState& state, platform::Window window) {
  platform::Platform& os = state.Os();
  const Splash& splash = state.splash;
  const platform::Dc dc = os.BeginPaint(window);
  os.SetBkMode(dc, platform::kTransparent);
  if (splash.image != 0) {
    if (splash.imageIsIcon) {
      os.DrawIcon(dc, splash.imageX, splash.imageY, splash.image);
    } else {
      DrawBitmap(os, dc, splash.imageX, splash.imageY, splash.image, platform::kSrcCopy);
    }
  }
  for (const std::string& line : splash.lines) DrawSplashLine(state, dc, line);
  os.EndPaint(window, dc);
}

// Integer settings may hold any 32-bit value; the window's size must not
// overflow while it is adjusted.
int ClampedDifference(int value, int amount) {
  const long long difference = static_cast<long long>(value) - amount;
  return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
}

}  // namespace

void AttachSplashState(BootState* state) { g_state = state; }

void ReadSplashLines(BootState& state) {
  std::vector<std::string>& lines = state.splash.lines;
  lines.clear();
  for (int n = 1; n <= static_cast<int>(kSplashLines); ++n) {
    const std::string fallback = n == 1 ? LoadText(state, ids::kDefaultMessage1) : "*";
    const std::string value =
        ReadTextSetting(state, ids::kDialogMessage, fallback, kLineCapacity, Decimal(n));
    // A "|" in a value starts a new line, which moves the later ones down.
    std::size_t start = 0;
    for (std::size_t bar = value.find('|'); bar != std::string::npos; bar = value.find('|', start)) {
      lines.push_back(value.substr(start, bar - start));
      start = bar + 1;
    }
    lines.push_back(value.substr(start));
  }
  if (lines.size() > kSplashLines) lines.resize(kSplashLines);
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

platform::Window CreateSplashWindow(BootState& state) {
  platform::Platform& os = state.Os();
  Splash& splash = state.splash;
  const SplashPlacement placement =
      PlaceSplashWindow(splash.style, splash.width, splash.height, os.SystemMetric(platform::kSmCxScreen),
                        os.SystemMetric(platform::kSmCyScreen));
  platform::WindowParams params;
  params.exStyle = placement.exStyle;
  params.className = kSplashClass;
  params.title = splash.title;
  params.style = placement.style;
  params.x = placement.x;
  params.y = placement.y;
  params.width = splash.width;
  params.height = splash.height;
  const platform::Window window = os.CreateWindow(state.instance, params);
  if (window == 0) return 0;
  if (splash.style < 2) splash.height = ClampedDifference(splash.height, os.SystemMetric(platform::kSmCyCaption));
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
  const auto layout = LayOutSplashLine(line, state.splash.width, state.splash.height);
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
