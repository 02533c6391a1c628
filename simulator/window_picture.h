// What the program's window showed at its last paint, as the simulated
// machine saw it drawn: enough to draw a picture of it without Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os_types.h"

namespace host {

struct PaintedImage {
  int x = 0, y = 0;           // where it was drawn, in client coordinates
  int width = 0, height = 0;  // as drawn: an icon is drawn 32 by 32
  std::string info;           // the information header and colour table
  std::string bits;           // the pixel rows, bottom row first
  std::string mask;           // icons: 1 bit per pixel, top row first, rows of 16-bit words
  bool icon = false;
};

struct PaintedText {
  std::string text;
  platform::Rect box;  // client coordinates
  unsigned format = 0;
};

struct WindowPicture {
  platform::WindowParams window;
  int background = 0;     // system colour index + 1, as the class gave it
  int captionHeight = 0;  // the machine's title bar height
  std::vector<PaintedImage> images;  // drawn before the texts
  std::vector<PaintedText> texts;
};

}  // namespace host
