// The scaled path's stretch: shape kept, centred between black bars, bilinear edges.
#include <gtest/gtest.h>

#include "imaging/LetterboxStretch.h"

namespace tp {
namespace {

constexpr Pixel kRed = MakePixel(240, 0, 0, 255);
constexpr Pixel kBlue = MakePixel(0, 0, 240, 255);

TEST(FitKeepingShape, CentresTheSurfaceBetweenBarsOnTheLongerSide) {
  // The working resolutions on a wide screen: pillars left and right.
  EXPECT_EQ(FitKeepingShape(800, 600, 1920, 1080), RectFromSize(240, 0, 1440, 1080));
  EXPECT_EQ(FitKeepingShape(640, 480, 1366, 768), RectFromSize(171, 0, 1024, 768));
  // A tall screen: bars above and below.
  EXPECT_EQ(FitKeepingShape(1024, 768, 1080, 1920), RectFromSize(0, 555, 1080, 810));
  // The same shape fills the screen exactly, bigger or smaller.
  EXPECT_EQ(FitKeepingShape(800, 600, 1600, 1200), RectFromSize(0, 0, 1600, 1200));
  EXPECT_EQ(FitKeepingShape(1024, 768, 640, 480), RectFromSize(0, 0, 640, 480));
  // Rounded to the nearest pixel, never beyond the screen and never empty.
  EXPECT_EQ(FitKeepingShape(3, 2, 100, 100), RectFromSize(0, 16, 100, 67));
  EXPECT_EQ(FitKeepingShape(10000, 1, 50, 50), RectFromSize(0, 24, 50, 1));
  EXPECT_TRUE(FitKeepingShape(0, 10, 50, 50).empty());
}

// A 4 x 2 picture, red on the left half and blue on the right, on a 32 x 24 screen
// (4:3 against 2:1): fitted 32 x 16 at y 4.
TEST(LetterboxStretcher, TwoColourPictureGetsBlackBarsAndABlendedEdge) {
  Bitmap32 picture(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) picture.at(x, y) = x < 2 ? kRed : kBlue;
  Bitmap32 screen(32, 24);
  screen.Fill(MakePixel(90, 90, 90, 255));  // whatever was there before
  LetterboxStretcher stretcher;
  stretcher.Stretch(picture, screen);

  for (int x = 0; x < 32; ++x) {
    for (int y : {0, 3, 20, 23}) EXPECT_EQ(screen.at(x, y), 0u) << x << "," << y;
  }
  for (int y = 4; y < 20; ++y) {
    // Far from the edge the colours are exact, also in the outermost columns.
    for (int x : {0, 1, 2, 5}) EXPECT_EQ(screen.at(x, y), kRed) << x << "," << y;
    for (int x : {26, 29, 30, 31}) EXPECT_EQ(screen.at(x, y), kBlue) << x << "," << y;
    // Across the edge red falls and blue rises step by step: no repeated pixel blocks.
    for (int x = 12; x < 20; ++x) {
      const Pixel p = screen.at(x, y), right = screen.at(x + 1, y);
      EXPECT_GT(PixelR(p), PixelR(right)) << x;
      EXPECT_LT(PixelB(p), PixelB(right)) << x;
      EXPECT_EQ(int(PixelR(p)) + int(PixelB(p)), 240) << x;  // a true mix of the two
    }
    // Symmetric about the middle of the screen.
    EXPECT_EQ(PixelR(screen.at(15, y)), PixelB(screen.at(16, y)));
  }
}

TEST(LetterboxStretcher, KeepsUpWithChangingSizesAndCopiesAnExactFit) {
  LetterboxStretcher stretcher;
  Bitmap32 screen(40, 30);
  Bitmap32 small(4, 3);
  small.Fill(kRed);
  stretcher.Stretch(small, screen);
  EXPECT_EQ(screen.at(0, 0), kRed);
  EXPECT_EQ(screen.at(39, 29), kRed);

  // A wider surface next: bars appear, and no stale red is left in them.
  Bitmap32 wide(8, 3);
  wide.Fill(kBlue);
  stretcher.Stretch(wide, screen);
  EXPECT_EQ(FitKeepingShape(8, 3, 40, 30), RectFromSize(0, 7, 40, 15));
  EXPECT_EQ(screen.at(20, 6), 0u);
  EXPECT_EQ(screen.at(20, 7), kBlue);
  EXPECT_EQ(screen.at(20, 21), kBlue);
  EXPECT_EQ(screen.at(20, 22), 0u);

  // The same size as the screen is a plain copy, pixel for pixel.
  Bitmap32 same(40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) same.at(x, y) = MakePixel(uint8_t(x * 6), uint8_t(y * 8), uint8_t((x ^ y) & 1 ? 255 : 0), 255);
  stretcher.Stretch(same, screen);
  EXPECT_EQ(screen, same);

  // Nothing presented yet: the screen turns black.
  stretcher.Stretch(Bitmap32(), screen);
  EXPECT_EQ(screen.at(20, 15), 0u);
}

}  // namespace
}  // namespace tp
