#include "splash_window.h"

#include <algorithm>
#include <climits>

#include "settings.h"
#include "string_ids.h"
#include "text.h"
#include "constants.h"
#include "splash_line.h"

namespace boot {
namespace {

constexpr std::size_t kSplashLines = 4;

// Integer settings may hold any 32-bit value; the window's size must not
// overflow while it is adjusted.
int ClampedDifference(int value, int amount) {
  const long long difference = static_cast<long long>(value) - amount;
  return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
}

}  // namespace

void PaintSplash(BootState& state, platform::Window window) {
  const platform::Os& os = state.Os();
  const Splash& splash = state.splash;
  const platform::Dc dc = os.painting->BeginPaint(window);
  os.painting->SetBkMode(dc, platform::kTransparent);
  if (splash.image != 0) {
    if (splash.imageIsIcon) {
      os.painting->DrawIcon(dc, splash.imageX, splash.imageY, splash.image);
    } else {
      DrawBitmap(*os.painting, dc, splash.imageX, splash.imageY, splash.image, platform::kSrcCopy);
    }
  }
  for (const std::string& line : splash.lines) DrawSplashLine(state, dc, line);
  os.painting->EndPaint(window, dc);
}

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
  const platform::Os& os = state.Os();
  Splash& splash = state.splash;
  const SplashPlacement placement =
      PlaceSplashWindow(splash.style, splash.width, splash.height, os.windows->SystemMetric(platform::kSmCxScreen),
                        os.windows->SystemMetric(platform::kSmCyScreen));
  platform::WindowParams params;
  params.exStyle = placement.exStyle;
  params.className = kSplashClass;
  params.title = splash.title;
  params.style = placement.style;
  params.x = placement.x;
  params.y = placement.y;
  params.width = splash.width;
  params.height = splash.height;
  const platform::Window window = os.windows->CreateWindow(state.instance, params);
  if (window == 0) return 0;
  if (splash.style < 2) splash.height = ClampedDifference(splash.height, os.windows->SystemMetric(platform::kSmCyCaption));
  return window;
}

void DrawSplashLine(BootState& state, platform::Dc dc, const std::string& line) {
  const auto layout = LayOutSplashLine(line, state.splash.width, state.splash.height);
  if (!layout) return;
  state.Os().painting->DrawText(dc, layout->text, layout->box, layout->format);
}

int DrawBitmap(platform::Painting& painting, platform::Dc dc, int x, int y, platform::Gdi bitmap,
               std::uint32_t rop) {
  if (dc == 0 || bitmap == 0) return 0;
  const platform::OwnedDc memory(painting, painting.CreateCompatibleDc(dc));
  const auto size = painting.BitmapSize(bitmap);
  painting.SelectObject(memory.Get(), bitmap);
  const int width = size ? size->first : 0;
  const int height = size ? size->second : 0;
  return painting.BitBlt(dc, x, y, width, height, memory.Get(), 0, 0, rop) ? 1 : 0;
}

}  // namespace boot
