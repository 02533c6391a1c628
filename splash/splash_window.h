// The splash window: its creation and painting.
#pragma once

#include <cstdint>
#include <string>

#include "boot_state.h"

namespace boot {

inline constexpr char kSplashClass[] = "SetupWClass";

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

// The window's picture and lines, for its paint message.
void PaintSplash(BootState& state, platform::Window window);

void DrawSplashLine(BootState& state, platform::Dc dc, const std::string& line);
int DrawBitmap(platform::Painting& painting, platform::Dc dc, int x, int y, platform::Gdi bitmap,
               std::uint32_t rop);

}  // namespace boot
