// The bitmap and icon readers: what they hand to the platform, and every
// refusal of a file whose parts run past its end or past their limits.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "dib_reads.h"
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

// Whatever the header says, the platform must read no byte past what was
// checked: the header handed on states exactly the table and bits given.
TEST(ImageFiles, HostileHeadersAreRefusedOrHandedOnStatingExactlyWhatWasChecked) {
  struct Case {
    const char* name;
    Info info;
    std::string rest;  // after the header: table, bits and for an icon the mask
    bool icon;
    int status;  // kOk: handed on
  };
  const std::string mask(8, 'm');  // 2 rows of 32 bits
  const std::string os2 = U32(12) + U16(2) + U16(2) + U16(1) + U16(24) + std::string(16, 'p');
  const Case cases[] = {
      {"icon of run-length bits", {.height = 4, .bits = 8, .compression = 1, .imageSize = 9000, .used = 1},
       std::string(4, 'c') + std::string(8, 'x') + mask, true, image::kIconUnusable},
      {"icon of 4-bit run-length bits", {.height = 4, .bits = 4, .compression = 2, .imageSize = 9000, .used = 1},
       std::string(4, 'c') + std::string(8, 'x') + mask, true, image::kIconUnusable},
      {"colour count with high bits", {.bits = 8, .used = 0x00010001}, std::string(4, 'c') + std::string(8, 'p'),
       false, image::kOk},
      {"icon colour count with high bits", {.height = 4, .bits = 8, .used = 0x00010001},
       std::string(4, 'c') + std::string(8, 'x') + mask, true, image::kOk},
      {"more colours than 1 bit has", {.bits = 1, .used = 16}, std::string(64, 'c') + std::string(8, 'p'), false,
       image::kOk},
      {"more colours than the platform reads", {.used = 300}, std::string(1200, 'c') + std::string(16, 'p'), false,
       image::kOk},
      {"rows of a lying image size", {.imageSize = 9000}, std::string(16, 'p'), false, image::kOk},
      {"top-down rows", {.height = -2}, std::string(16, 'p'), false, image::kOk},
      {"32 bits at -2^31 x -2^31", {.width = INT32_MIN, .height = INT32_MIN, .bits = 32}, "", false,
       image::kBitmapIncomplete},
      {"128 bits at 2^30 x 2^30", {.width = 1 << 30, .height = 1 << 30, .bits = 128}, "", false,
       image::kBitmapIncomplete},
      {"a height of -2^31", {.width = 1, .height = INT32_MIN, .bits = 1}, "", false, image::kBitmapIncomplete},
      {"a bit depth no screen draws", {.bits = 2}, std::string(16, 'p'), false, image::kBitmapIncomplete},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string header = Header(c.info);
    const image::Icon icon = c.icon ? image::ReadIcon(Ico(header + c.rest)) : image::Icon{};
    const image::Bitmap bitmap = c.icon ? image::Bitmap{icon.status, icon.colour} : image::ReadBitmap(Bmp(c.info, c.rest));
    EXPECT_EQ(bitmap.status, c.status);
    EXPECT_EQ(icon.usable, c.icon && c.status == image::kOk);
    if (c.status != image::kOk) continue;
    const host::DibReads reads = host::PlatformReads(bitmap.dib.info);
    EXPECT_EQ(reads.info, bitmap.dib.info.size());
    EXPECT_EQ(reads.bits, bitmap.dib.bits.size());
    EXPECT_EQ(bitmap.dib.info.substr(20, 4), U32(static_cast<std::uint32_t>(bitmap.dib.bits.size())));
  }
  // The 12-byte header of older bitmaps is not one the reader takes.
  EXPECT_EQ(image::ReadBitmap("BM" + std::string(12, '\0') + os2).status, image::kNotABitmap);
  EXPECT_EQ(image::ReadIcon(Ico(os2 + mask)).status, image::kIconUnusable);
}

}  // namespace
