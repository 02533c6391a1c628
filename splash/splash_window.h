// The splash window: creation, painting and its window procedure.
#pragma once

#include <cstdint>
#include <string>

#include "boot_state.h"

namespace boot {

inline constexpr char kSplashClass[] = "SetupWClass";

// The window procedure reaches the run's state through this.
void AttachSplashState(BootState* state);

class SplashStateScope {
 public:
  explicit SplashStateScope(BootState& state) { AttachSplashState(&state); }
  ~SplashStateScope() { AttachSplashState(nullptr); }
  SplashStateScope(const SplashStateScope&) = delete;
  SplashStateScope& operator=(const SplashStateScope&) = delete;
};

// Reads DialogMessage1 to DialogMessage4 into the splash lines.
void ReadSplashLines(BootState& state);

struct SplashPlacement {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int x = 0, y = 0;
};
SplashPlacement PlaceSplashWindow(int dialogStyle, int width, int height, int screenWidth,
                                  int screenHeight);

// Creates the hidden window centred on the screen; 0 on failure.
platform::Window CreateSplashWindow(BootState& state);

std::intptr_t SplashWndProc(platform::Window window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam);

void DrawSplashLine(BootState& state, platform::Dc dc, const std::string& line);
int DrawBitmap(const platform::Os& os, platform::Dc dc, int x, int y, platform::Gdi bitmap,
               std::uint32_t rop);

}  // namespace boot
