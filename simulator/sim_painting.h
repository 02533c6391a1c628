// The machine's drawing: the bitmaps and icons made, the bitmap selected
// into the memory device context, the paint under way and the picture the
// last finished paint left.
#pragma once

#include <map>
#include <optional>
#include <utility>

#include "os_types.h"
#include "window_picture.h"

namespace host {

class Canvas {
 public:
  platform::Gdi Keep(PaintedImage image) {
    images_[nextGdi_] = std::move(image);
    return nextGdi_++;
  }
  // Null for a handle that is no image.
  const PaintedImage* Image(platform::Gdi object) const {
    const auto found = images_.find(object);
    return found == images_.end() ? nullptr : &found->second;
  }
  void Delete(platform::Gdi object) { images_.erase(object); }
  void Select(platform::Gdi bitmap) { selected_ = bitmap; }
  const PaintedImage* Selected() const { return Image(selected_); }

  // A new window starts a picture of its own.
  void StartWindow(const platform::WindowParams& window, int background, int captionHeight) {
    painting_ = {};
    painting_.window = window;
    painting_.background = background;
    painting_.captionHeight = captionHeight;
  }
  void Begin() {
    painting_.images.clear();
    painting_.texts.clear();
  }
  void Draw(const PaintedImage& image, int x, int y, int width, int height) {
    PaintedImage& drawn = painting_.images.emplace_back(image);
    drawn.x = x;
    drawn.y = y;
    drawn.width = width;
    drawn.height = height;
  }
  void Write(PaintedText text) { painting_.texts.push_back(std::move(text)); }
  void End() { picture_ = painting_; }
  const std::optional<WindowPicture>& Picture() const { return picture_; }

 private:
  std::map<platform::Gdi, PaintedImage> images_;  // bitmaps and icons made
  platform::Gdi selected_ = 0;  // the bitmap in the memory DC
  platform::Gdi nextGdi_ = 0x5000;
  WindowPicture painting_;  // the paint under way
  std::optional<WindowPicture> picture_;
};

}  // namespace host
