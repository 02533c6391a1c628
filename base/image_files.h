// The pictures the splash window can show, Windows bitmap (.BMP) and icon
// (.ICO) files, read from their bytes alone. Whatever a file claims, the
// readers stay inside it and check every size before anything is made.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace image {

// Status codes of the splash image, as the setup log reports them.
inline constexpr int kOk = 0;
inline constexpr int kCannotOpen = -1;
inline constexpr int kNotABitmap = -2;
inline constexpr int kNoMemory = -3;
inline constexpr int kBitmapIncomplete = -4;
inline constexpr int kIconHeaderIncomplete = -5;
inline constexpr int kNotAnIcon = -6;
inline constexpr int kIconUnusable = -7;
inline constexpr int kNotExpanded = -10;

// Icons are drawn up to this size in either direction.
inline constexpr int kMaxIconSize = 32;

// A device-independent bitmap as the platform takes it. Its header states
// exactly the colour table and bits it comes with, so the platform reads
// nothing that was not checked.
struct Dib {
  std::string info;       // the 40-byte information header and the colour table
  std::string_view bits;  // the pixel rows, bottom row first, inside the file
  int width = 0;
  int height = 0;
};

// Entries of the colour table that follows an information header: its
// colours-used field's low 16 bits, else 2, 16 or 256 for 1, 4 or 8 bits per pixel.
std::uint32_t ColorCount(std::string_view info);

struct Bitmap {
  // kNotABitmap, also for a header shorter than 40 bytes; kBitmapIncomplete
  // when a part runs past the end or the header gives no size a screen draws.
  int status = kOk;
  Dib dib;
};
Bitmap ReadBitmap(std::string_view file);

struct Icon {
  // kIconHeaderIncomplete, kNotAnIcon, or kIconUnusable: a part past its
  // block, larger than 32 x 32, compressed, or a header the screen cannot draw.
  int status = kOk;
  // False with kOk: the image lies past the end of the file or is 64 KiB
  // or more, which gives no picture and no status.
  bool usable = false;
  Dib colour;        // the icon's own rows: the image's height field halved
  std::string mask;  // 1 bit per pixel, top row first, rows of 16-bit words
};
// The first image of the file.
Icon ReadIcon(std::string_view file);

}  // namespace image
