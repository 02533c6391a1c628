// The version resource of PE images, and nothing from damaged ones.
#include "pe_version.h"

#include <gtest/gtest.h>

#include <functional>

#include "pe_image.h"

namespace pe {
namespace {

using test_pe::Put;

TEST(PeVersion, ReadsTheFixedInfoOfBothImageKinds) {
  const test_pe::Version version{0x00020005, 0x0003000A, 2, 7};
  for (const bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const auto info = ReadFixedFileInfo(test_pe::Image(version, plus));
    ASSERT_TRUE(info);
    EXPECT_EQ(*info, (FixedFileInfo{0x00020005, 0x0003000A, 2, 7}));
    EXPECT_EQ(VersionText(info->fileVersionMs, info->fileVersionLs), "2.5.3.10");
  }
}

TEST(PeVersion, VersionTextHasNoLeadingZeros) {
  EXPECT_EQ(VersionText(0, 0), "0.0.0.0");
  EXPECT_EQ(VersionText(0xFFFFFFFF, 0x0001000A), "65535.65535.1.10");
}

TEST(PeVersion, DamagedImagesGiveNothing) {
  using test_pe::kBlock, test_pe::kDataEntry, test_pe::kFixed, test_pe::kOptionalHeader,
      test_pe::kPeHeader, test_pe::kResources, test_pe::kTypeEntry;
  // Offsets within the optional header differ between the two kinds.
  const auto count = [](bool plus) { return kOptionalHeader + (plus ? 108 : 92); };
  const auto entry = [](bool plus) { return kOptionalHeader + (plus ? 128 : 112); };
  using Damage = std::function<void(std::string&, bool)>;
  const std::pair<const char*, Damage> cases[] = {
      {"empty", [](std::string& b, bool) { b.clear(); }},
      {"cut in the headers", [](std::string& b, bool) { b.resize(kOptionalHeader + 50); }},
      {"cut in the block", [](std::string& b, bool) { b.resize(kFixed + 20); }},
      {"no MZ", [](std::string& b, bool) { b[0] = 'Z'; }},
      {"header beyond the end", [](std::string& b, bool) { Put(b, 0x3C, 0xFFFFFFF0, 4); }},
      {"no PE signature", [](std::string& b, bool) { b[kPeHeader] = 'N'; }},
      {"unknown magic", [](std::string& b, bool) { Put(b, kOptionalHeader, 0x107, 2); }},
      {"short optional header", [](std::string& b, bool) { Put(b, kPeHeader + 20, 96, 2); }},
      {"too few directories", [&](std::string& b, bool plus) { Put(b, count(plus), 2, 4); }},
      {"no resources", [&](std::string& b, bool plus) { Put(b, entry(plus) + 4, 0, 4); }},
      {"resources in no section", [&](std::string& b, bool plus) { Put(b, entry(plus), 0x9000, 4); }},
      {"many sections, none with resources",
       [&](std::string& b, bool plus) { Put(b, kPeHeader + 6, 0xFFFF, 2); Put(b, entry(plus), 0x9000, 4); }},
      {"no version type", [](std::string& b, bool) { Put(b, kTypeEntry, 14, 4); }},
      {"type is data", [](std::string& b, bool) { Put(b, kTypeEntry + 4, 0x18, 4); }},
      {"directory points at itself", [](std::string& b, bool) { Put(b, kTypeEntry + 4, 0x80000000, 4); }},
      {"entry count past the end",
       [](std::string& b, bool) { Put(b, kResources + 12, 0xFFFF, 2); Put(b, kTypeEntry, 3, 4); }},
      {"subdirectory far away", [](std::string& b, bool) { Put(b, kTypeEntry + 4, 0xFFFFFFFF, 4); }},
      {"data outside the image", [](std::string& b, bool) { Put(b, kDataEntry, 0xFFFFFFFF, 4); }},
      {"data size too small", [](std::string& b, bool) { Put(b, kDataEntry + 4, 60, 4); }},
      {"no fixed info", [](std::string& b, bool) { Put(b, kBlock + 2, 0, 2); }},
      {"wrong signature", [](std::string& b, bool) { Put(b, kFixed, 0xFEEF04BC, 4); }},
  };
  for (const auto& [name, damage] : cases) {
    for (const bool plus : {false, true}) {
      SCOPED_TRACE(std::string(name) + (plus ? " (PE32+)" : " (PE32)"));
      std::string bytes = test_pe::Image({}, plus);
      damage(bytes, plus);
      EXPECT_FALSE(ReadFixedFileInfo(bytes));
    }
  }
}

}  // namespace
}  // namespace pe
