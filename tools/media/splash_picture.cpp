#include "splash_picture.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "constants.h"
#include "little_endian.h"

namespace media {
namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

constexpr int kDialogFrame = 3;  // the width of a dialog frame's three lines
constexpr double kFontSize = 12;
constexpr int kMaxSide = 8192;  // larger than any screen the program centres on
// Larger images are not decoded: a compressed bitmap may claim any size.
constexpr long long kMostImagePixels = 4096LL * 4096;
constexpr std::uint32_t kDtRight = 0x2;
constexpr std::uint32_t kDtBottom = 0x8;
constexpr std::uint32_t kWsBorder = 0x00800000;
constexpr int kColorWindowText = 8;

// The system colours of the classic scheme, by index.
constexpr std::array<std::uint32_t, 21> kSystemColours = {
    0xC0C0C0, 0x008080, 0x000080, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000,
    0x000000, 0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x000080,
    0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF};
constexpr std::uint32_t kLight = 0xC0C0C0, kHighlight = 0xFFFFFF, kShadow = 0x808080,
                        kDarkShadow = 0x000000, kCaption = 0x000080, kCaptionText = 0xFFFFFF;

void SetColour(cairo_t* cr, std::uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

void FillRect(cairo_t* cr, double x, double y, double w, double h, std::uint32_t rgb) {
  SetColour(cr, rgb);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

// One line of a raised edge, `inset` pixels inside the window.
void EdgeLine(cairo_t* cr, int inset, int width, int height, std::uint32_t topLeft, std::uint32_t bottomRight) {
  const int w = width - 2 * inset, h = height - 2 * inset;
  FillRect(cr, inset, inset, w, 1, topLeft);
  FillRect(cr, inset, inset, 1, h, topLeft);
  FillRect(cr, inset, inset + h - 1, w, 1, bottomRight);
  FillRect(cr, inset + w - 1, inset, 1, h, bottomRight);
}

struct Frame {
  int border = 0;   // on each side
  int caption = 0;  // the title bar's height
};

Frame FrameOf(const host::WindowPicture& picture) {
  const std::uint32_t style = picture.window.style;
  Frame frame;
  if ((style & platform::kWsDlgFrame) != 0 || (picture.window.exStyle & platform::kWsExDlgModalFrame) != 0) {
    frame.border = kDialogFrame;
  } else if ((style & kWsBorder) != 0) {
    frame.border = 1;
  }
  if ((style & platform::kWsCaption) == platform::kWsCaption) frame.caption = std::max(picture.captionHeight, 0);
  return frame;
}

void DrawFrame(cairo_t* cr, const host::WindowPicture& picture, const Frame& frame) {
  const int width = picture.window.width, height = picture.window.height;
  if (frame.border == 1) EdgeLine(cr, 0, width, height, kDarkShadow, kDarkShadow);
  if (frame.border == kDialogFrame) {
    EdgeLine(cr, 0, width, height, kLight, kDarkShadow);
    EdgeLine(cr, 1, width, height, kHighlight, kShadow);
    EdgeLine(cr, 2, width, height, kLight, kLight);
  }
  if (frame.caption == 0) return;
  const int barWidth = width - 2 * frame.border, barHeight = frame.caption - 1;
  FillRect(cr, frame.border, frame.border, barWidth, barHeight, kCaption);
  cairo_save(cr);
  cairo_rectangle(cr, frame.border, frame.border, barWidth, barHeight);
  cairo_clip(cr);
  SetColour(cr, kCaptionText);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, kFontSize - 1);
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  cairo_move_to(cr, frame.border + 4, frame.border + (barHeight - font.height) / 2 + font.ascent);
  cairo_show_text(cr, picture.window.title.c_str());
  cairo_restore(cr);
}

// A file of the picture library's format around the image's rows.
std::string BitmapFile(const host::PaintedImage& image) {
  const std::size_t headerSize = 14;
  std::string file = "BM";
  boot::AppendLittleEndian32(file, static_cast<std::uint32_t>(headerSize + image.info.size() + image.bits.size()));
  boot::AppendLittleEndian32(file, 0);
  boot::AppendLittleEndian32(file, static_cast<std::uint32_t>(headerSize + image.info.size()));
  return file + image.info + image.bits;
}

using Pixbuf = std::unique_ptr<GdkPixbuf, decltype(&g_object_unref)>;

Pixbuf DecodeBitmap(const host::PaintedImage& image, std::string& error) {
  const std::string file = BitmapFile(image);
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("bmp", nullptr);
  GError* failure = nullptr;
  const bool read = loader != nullptr &&
                    gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(file.data()), file.size(), &failure) &&
                    gdk_pixbuf_loader_close(loader, &failure);
  Pixbuf pixbuf(nullptr, g_object_unref);
  if (read) {
    GdkPixbuf* decoded = gdk_pixbuf_loader_get_pixbuf(loader);
    if (decoded != nullptr) pixbuf.reset(GDK_PIXBUF(g_object_ref(decoded)));
  } else if (loader != nullptr) {
    gdk_pixbuf_loader_close(loader, nullptr);
  }
  if (!pixbuf) error = std::string("the image could not be read") + (failure ? ": " + std::string(failure->message) : "");
  if (failure != nullptr) g_error_free(failure);
  if (loader != nullptr) g_object_unref(loader);
  return pixbuf;
}

// `width` is the image's own, not the size it is drawn at.
bool Masked(const host::PaintedImage& image, int width, int x, int y) {
  const std::size_t stride = static_cast<std::size_t>((width + 15) / 16) * 2;
  const std::size_t at = static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8);
  return at < image.mask.size() && (static_cast<unsigned char>(image.mask[at]) & (0x80 >> (x % 8))) != 0;
}

// The image's own pixels, with an icon's masked pixels left clear.
Surface ImageSurface(const host::PaintedImage& image, const GdkPixbuf* pixbuf) {
  const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf), rowstride = gdk_pixbuf_get_rowstride(pixbuf);
  const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
  cairo_surface_flush(surface.get());
  unsigned char* out = cairo_image_surface_get_data(surface.get());
  const int outStride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const guchar* in = pixels + static_cast<std::ptrdiff_t>(y) * rowstride + x * channels;
      const bool clear = image.icon && Masked(image, width, x, y);
      const std::uint32_t argb = clear ? 0 : 0xFF000000u | (in[0] << 16) | (in[1] << 8) | in[2];
      std::memcpy(out + static_cast<std::ptrdiff_t>(y) * outStride + x * 4, &argb, 4);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

void DrawMissingImage(cairo_t* cr, const host::PaintedImage& image) {
  SetColour(cr, kShadow);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, image.x + 0.5, image.y + 0.5, image.width - 1, image.height - 1);
  cairo_move_to(cr, image.x, image.y);
  cairo_line_to(cr, image.x + image.width, image.y + image.height);
  cairo_move_to(cr, image.x + image.width, image.y);
  cairo_line_to(cr, image.x, image.y + image.height);
  cairo_stroke(cr);
}

void DrawImage(cairo_t* cr, const host::PaintedImage& image, std::string& error) {
  if (static_cast<long long>(image.width) * image.height > kMostImagePixels) {
    error = "the image (" + std::to_string(image.width) + "x" + std::to_string(image.height) + ") is too large to draw";
    return DrawMissingImage(cr, image);
  }
  const Pixbuf pixbuf = DecodeBitmap(image, error);
  if (!pixbuf) return DrawMissingImage(cr, image);
  const Surface surface = ImageSurface(image, pixbuf.get());
  cairo_save(cr);
  cairo_rectangle(cr, image.x, image.y, image.width, image.height);
  cairo_clip(cr);
  cairo_translate(cr, image.x, image.y);
  // An icon is stretched to the system's icon size; a bitmap is copied.
  if (image.icon) {
    cairo_scale(cr, static_cast<double>(image.width) / gdk_pixbuf_get_width(pixbuf.get()),
                static_cast<double>(image.height) / gdk_pixbuf_get_height(pixbuf.get()));
  }
  cairo_set_source_surface(cr, surface.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
}

void DrawLine(cairo_t* cr, const host::PaintedText& line) {
  const platform::Rect& box = line.box;
  cairo_text_extents_t text;
  cairo_text_extents(cr, line.text.c_str(), &text);
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  double x = box.left;
  if ((line.format & platform::kDtCenter) != 0) x = (box.left + box.right - text.x_advance) / 2;
  if ((line.format & kDtRight) != 0) x = box.right - text.x_advance;
  double top = box.top;
  if ((line.format & platform::kDtSingleLine) != 0 && (line.format & platform::kDtVCenter) != 0) {
    top = (box.top + box.bottom - font.height) / 2;
  } else if ((line.format & platform::kDtSingleLine) != 0 && (line.format & kDtBottom) != 0) {
    top = box.bottom - font.height;
  }
  cairo_save(cr);
  cairo_rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
  cairo_clip(cr);
  cairo_move_to(cr, x, top + font.ascent);
  cairo_show_text(cr, line.text.c_str());
  cairo_restore(cr);
}

void DrawClient(cairo_t* cr, const host::WindowPicture& picture, const Frame& frame, std::string& error) {
  const int width = picture.window.width - 2 * frame.border;
  const int height = picture.window.height - 2 * frame.border - frame.caption;
  cairo_save(cr);
  cairo_translate(cr, frame.border, frame.border + frame.caption);
  cairo_rectangle(cr, 0, 0, std::max(width, 0), std::max(height, 0));
  cairo_clip(cr);
  const int index = picture.background - 1;
  const bool known = index >= 0 && index < static_cast<int>(kSystemColours.size());
  FillRect(cr, 0, 0, width, height, known ? kSystemColours[static_cast<std::size_t>(index)] : kHighlight);
  for (const host::PaintedImage& image : picture.images) DrawImage(cr, image, error);
  SetColour(cr, kSystemColours[kColorWindowText]);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, kFontSize);
  for (const host::PaintedText& line : picture.texts) DrawLine(cr, line);
  cairo_restore(cr);
}

bool Draw(const host::WindowPicture& picture, const std::filesystem::path& png, std::string& error) {
  // No screen is larger: a larger window is drawn cut.
  const int width = std::min(picture.window.width, kMaxSide), height = std::min(picture.window.height, kMaxSide);
  const Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
  const Context cr(cairo_create(surface.get()), cairo_destroy);
  const Frame frame = FrameOf(picture);
  DrawFrame(cr.get(), picture, frame);
  DrawClient(cr.get(), picture, frame, error);
  return cairo_surface_write_to_png(surface.get(), png.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool HasArea(const host::WindowPicture& picture) { return picture.window.width > 0 && picture.window.height > 0; }

bool WriteSplashPicture(const host::WindowPicture& picture, const std::filesystem::path& png, std::string& error) {
  if (!HasArea(picture)) {
    error = "the window is " + std::to_string(picture.window.width) + "x" + std::to_string(picture.window.height) +
            ": nothing to draw";
    return false;
  }
  const bool written = Draw(picture, png, error);
  // Let go of the font caches, which otherwise live until the process ends.
  cairo_debug_reset_static_data();
  FcFini();
  if (!written) error = "cannot write " + png.string();
  return written;
}

}  // namespace media
