// Splash line layout and window placement.
#include <gtest/gtest.h>

#include "constants.h"
#include "splash_line.h"
#include "splash_window.h"

namespace boot {
namespace {

struct Expected {
  const char* line;
  const char* text;
  platform::Rect box;
  unsigned format;
};

void ExpectLayout(const Expected& e) {
  SCOPED_TRACE(e.line);
  const auto layout = LayOutSplashLine(e.line, 300, 131);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->text, e.text);
  EXPECT_EQ(layout->box.left, e.box.left);
  EXPECT_EQ(layout->box.top, e.box.top);
  EXPECT_EQ(layout->box.right, e.box.right);
  EXPECT_EQ(layout->box.bottom, e.box.bottom);
  EXPECT_EQ(layout->format, e.format);
}

TEST(SplashLine, TheFourPlacementsOfXAndY) {
  ExpectLayout({"Welcome;-1;-1", "Welcome", {0, 0, 300, 131}, 0x825});
  ExpectLayout({"Starting Setup, please wait...;-1;45", "Starting Setup, please wait...",
                {0, 45, 300, 131}, 0x801});
  ExpectLayout({"Left;12;-1", "Left", {12, 0, 300, 131}, 0x824});
  ExpectLayout({"Corner;5;7", "Corner", {5, 7, 300, 131}, 0x800});
}

TEST(SplashLine, EmptyFieldsVanishAndNumbersReadLikeAtoi) {
  ExpectLayout({"Welcome;;10;;20", "Welcome", {10, 20, 300, 131}, 0x800});
  ExpectLayout({";;Lead;3;4", "Lead", {3, 4, 300, 131}, 0x800});
  ExpectLayout({"Minus;-2;-3", "Minus", {-2, -3, 300, 131}, 0x800});
  ExpectLayout({"Letters;abc;9", "Letters", {0, 9, 300, 131}, 0x800});
  ExpectLayout({"Extra;1;2;3;4", "Extra", {1, 2, 300, 131}, 0x800});
}

TEST(SplashLine, AmpersandIsKeptAndNeverAPrefix) {
  ExpectLayout({"Save & Exit;5;5", "Save & Exit", {5, 5, 300, 131}, platform::kDtNoPrefix});
}

TEST(SplashLine, MissingCoordinatesAreCentred) {
  ExpectLayout({"Please wait", "Please wait", {0, 0, 300, 131}, 0x825});
  ExpectLayout({"Half;40", "Half", {40, 0, 300, 131}, 0x824});
}

TEST(SplashLine, LinesThatDrawNothing) {
  EXPECT_FALSE(LayOutSplashLine("", 300, 131));
  EXPECT_FALSE(LayOutSplashLine("*", 300, 131));
  EXPECT_FALSE(LayOutSplashLine("X", 300, 131));
  EXPECT_FALSE(LayOutSplashLine(";;", 300, 131));
  EXPECT_FALSE(LayOutSplashLine(";;;;;", 300, 131));
}

TEST(SplashPlacement, HalvingsAreSeparateAndUnclamped) {
  EXPECT_EQ(PlaceSplashWindow(0, 301, 150, 640, 480).x, 170);
  EXPECT_EQ(PlaceSplashWindow(0, 301, 151, 640, 480).y, 165);
  const SplashPlacement big = PlaceSplashWindow(0, 800, 700, 640, 480);
  EXPECT_EQ(big.x, -80);
  EXPECT_EQ(big.y, -110);
}

TEST(SplashPlacement, StylesByDialogStyle) {
  EXPECT_EQ(PlaceSplashWindow(0, 300, 150, 640, 480).style, 0x80C00080u);
  EXPECT_EQ(PlaceSplashWindow(0, 300, 150, 640, 480).exStyle, 0x1u);
  EXPECT_EQ(PlaceSplashWindow(-5, 300, 150, 640, 480).style, 0x80C00080u);
  EXPECT_EQ(PlaceSplashWindow(1, 300, 150, 640, 480).style, 0x00C00080u);
  EXPECT_EQ(PlaceSplashWindow(1, 300, 150, 640, 480).exStyle, 0u);
  EXPECT_EQ(PlaceSplashWindow(2, 300, 150, 640, 480).style, 0x80400080u);
  EXPECT_EQ(PlaceSplashWindow(3, 300, 150, 640, 480).style, 0x80000000u);
  EXPECT_EQ(PlaceSplashWindow(7, 300, 150, 640, 480).style, 0x80000000u);
}

}  // namespace
}  // namespace boot
