// The bitmap and icon readers: what they hand to the platform, and every
// refusal of a file whose parts run past its end or past their limits.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "image_bytes.h"
#include "image_files.h"

namespace {

using namespace test_image;

TEST(ImageFiles, BitmapsAreSplitIntoInformationAndBitsOrRefused) {
  struct Case {
    const char* name;
    std::string file;
    int status;
    std::size_t infoSize, bitsSize;
  };
  const std::string rows24 = std::string(16, 'p');  // 2 rows of 6 bytes, padded to 8
  const Case cases[] = {
      {"24 bits, no table", Bmp({}, rows24), image::kOk, 40, 16},
      {"8 bits, 16 colours used", Bmp({.bits = 8, .used = 16}, std::string(64, 'c') + std::string(8, 'p')), image::kOk,
       104, 8},
      {"bit fields after a short header", Bmp({.bits = 32, .compression = 3}, std::string(12, 'm') + std::string(16, 'p')),
       image::kOk, 52, 16},
      {"a longer header is cut to 40 bytes", Bmp({.size = 108}, rows24), image::kOk, 40, 16},
      {"run-length bits as long as the header says", Bmp({.bits = 8, .compression = 1, .imageSize = 5, .used = 2},
                                                         std::string(8, 'c') + "12345"), image::kOk, 48, 5},
      {"not BM", "MB" + Bmp({}, rows24).substr(2), image::kNotABitmap, 0, 0},
      {"shorter than a file header", "BM1234", image::kNotABitmap, 0, 0},
      {"header cut off", Bmp({}, "").substr(0, 30), image::kBitmapIncomplete, 0, 0},
      {"colour table past the end", Bmp({.bits = 8}, std::string(100, 'c')), image::kBitmapIncomplete, 0, 0},
      {"rows past the end", Bmp({}, rows24.substr(1)), image::kBitmapIncomplete, 0, 0},
      {"a header too short to be one", Bmp({.size = 12}, rows24), image::kBitmapIncomplete, 0, 0},
      {"a width no file can hold", Bmp({.width = 0x7FFFFFFF}, rows24), image::kBitmapIncomplete, 0, 0},
      {"run-length bits of no stated length", Bmp({.bits = 8, .compression = 1, .used = 2}, std::string(8, 'c') + "1"),
       image::kBitmapIncomplete, 0, 0},
      {"run-length bits past the end", Bmp({.bits = 8, .compression = 1, .imageSize = 99, .used = 2},
                                           std::string(8, 'c') + "12345"), image::kBitmapIncomplete, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const image::Bitmap bitmap = image::ReadBitmap(c.file);
    EXPECT_EQ(bitmap.status, c.status);
    EXPECT_EQ(bitmap.dib.info.size(), c.infoSize);
    EXPECT_EQ(bitmap.dib.bits.size(), c.bitsSize);
    EXPECT_EQ(bitmap.dib.info.substr(0, 4), c.infoSize > 0 ? U32(40) : "");
  }
}

TEST(ImageFiles, IconsGiveTheirFirstImageWithAMaskSizedToItOrAreRefused) {
  struct Case {
    const char* name;
    std::string file;
    int status;
    bool usable;
    std::string maskTop;  // the first row handed on, 16-bit words
  };
  const Case cases[] = {
      {"32 x 32", Ico(IconImage(32, 32)), image::kOk, true, "FFFF"},
      {"16 x 16", Ico(IconImage(16, 16)), image::kOk, true, "PP"},
      {"1 x 1", Ico(IconImage(1, 1)), image::kOk, true, "AA"},
      {"a cursor", Ico(IconImage(32, 32), 2), image::kNotAnIcon, false, ""},
      {"directory cut off", Ico(IconImage(32, 32)).substr(0, 21), image::kIconHeaderIncomplete, false, ""},
      {"wider than 32", Ico(IconImage(33, 32)), image::kIconUnusable, false, ""},
      {"taller than 32", Ico(IconImage(32, 33)), image::kIconUnusable, false, ""},
      {"mask past its block", Ico(IconImage(32, 32), 1, static_cast<std::uint32_t>(IconImage(32, 32).size() - 1)),
       image::kIconUnusable, false, ""},
      {"image past the end of the file", Ico(IconImage(32, 32)).substr(0, 200), image::kOk, false, ""},
      {"64 KiB or more", Ico(IconImage(32, 32), 1, 65536), image::kOk, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const image::Icon icon = image::ReadIcon(c.file);
    EXPECT_EQ(icon.status, c.status);
    EXPECT_EQ(icon.usable, c.usable);
    if (!icon.usable) continue;
    const int height = icon.colour.height;
    EXPECT_EQ(icon.colour.info.substr(8, 4), U32(static_cast<std::uint32_t>(height)));
    EXPECT_EQ(icon.mask.size(), c.maskTop.size() * static_cast<std::size_t>(height));
    EXPECT_EQ(icon.mask.substr(0, c.maskTop.size()), c.maskTop);
    EXPECT_EQ(icon.colour.bits, std::string(icon.colour.bits.size(), 'x'));
  }
}

}  // namespace
