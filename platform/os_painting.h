// Painting the splash window: device contexts and drawing objects.
#pragma once

#include "os_types.h"

namespace platform {

class Painting {
 public:
  virtual Dc BeginPaint(Window window) = 0;
  virtual void EndPaint(Window window, Dc dc) = 0;
  virtual void SetBkMode(Dc dc, int mode) = 0;
  virtual int DrawText(Dc dc, const std::string& text, const Rect& box, unsigned format) = 0;
  virtual bool DrawIcon(Dc dc, int x, int y, Gdi icon) = 0;
  virtual Dc CreateCompatibleDc(Dc dc) = 0;
  virtual Gdi SelectObject(Dc dc, Gdi object) = 0;
  // A bitmap for the screen made from a DIB; 0 when the platform refuses it.
  virtual Gdi CreateBitmap(const image::Dib& dib) = 0;
  // An icon made from its colour image and its mask; 0 when refused.
  virtual Gdi CreateIcon(Instance instance, const image::Icon& icon) = 0;
  // Width and height of a bitmap; nothing when it is not one.
  virtual std::optional<std::pair<int, int>> BitmapSize(Gdi bitmap) = 0;
  virtual bool BitBlt(Dc dc, int x, int y, int width, int height, Dc source, int sx, int sy,
                      std::uint32_t rop) = 0;
  virtual void DeleteDc(Dc dc) = 0;
  virtual void DeleteObject(Gdi object) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~Painting() = default;
};

}  // namespace platform
