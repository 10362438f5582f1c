// The scaled path's stretch: shape kept, centred between black bars, bilinear edges.
#include <gtest/gtest.h>

#include "imaging/LetterboxStretch.h"

#include <string>

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

// Pixels that differ from their neighbours in every channel, alpha included.
Bitmap32 Noise(int w, int h, uint32_t seed) {
  Bitmap32 b(w, h);
  for (size_t i = 0; i < b.pixelCount(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    b.data()[i] = seed;
  }
  return b;
}

// Enlarging, shrinking, one-pixel sources, odd sizes, no bars at all, and screens whose
// rows start at every alignment.
const struct {
  int sw, sh, dw, dh;
} kSizes[] = {
    {800, 600, 1920, 1080}, {800, 600, 1283, 721}, {7, 5, 61, 37}, {1, 1, 17, 9},  {1, 13, 31, 33},
    {13, 1, 30, 7},         {2, 2, 3, 3},          {1920, 1080, 333, 199}, {640, 480, 97, 72},
    {5, 9, 5, 8},           {3, 4, 1, 1},          {9, 7, 10, 7},   {1024, 768, 1023, 767},
};

TEST(LetterboxStretcher, VectorAndPlainCodeDrawTheSamePixelsAndKeepTheSource) {
  LetterboxStretcher plain(false), vector;
  if (!vector.usesVectorUnit()) GTEST_SKIP() << "no vector unit on this processor";
  for (const auto& s : kSizes) {
    SCOPED_TRACE(std::to_string(s.sw) + "x" + std::to_string(s.sh) + " on " + std::to_string(s.dw) + "x" +
                 std::to_string(s.dh));
    const Bitmap32 picture = Noise(s.sw, s.sh, uint32_t(s.sw * 31 + s.dw));
    Bitmap32 expected(s.dw, s.dh), actual(s.dw, s.dh), kept;
    expected.Fill(0x12345678u);
    actual.Fill(0x9ABCDEF0u);
    plain.Stretch(picture, expected);
    vector.Stretch(picture, actual, &kept);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(kept, picture);
  }
}

TEST(LetterboxStretcher, OneColourStaysExactAtEverySizeAndTheBarsAreBlack) {
  for (bool useVector : {false, true}) {
    LetterboxStretcher stretcher(useVector);
    for (const auto& s : kSizes) {
      SCOPED_TRACE(std::to_string(s.sw) + "x" + std::to_string(s.sh) + " on " + std::to_string(s.dw) + "x" +
                   std::to_string(s.dh) + (useVector ? " vector" : " plain"));
      Bitmap32 picture(s.sw, s.sh);
      picture.Fill(MakePixel(255, 1, 128, 254));
      Bitmap32 screen(s.dw, s.dh);
      screen.Fill(kRed);
      Bitmap32 kept;
      stretcher.Stretch(picture, screen, &kept);
      const Rect fit = FitKeepingShape(s.sw, s.sh, s.dw, s.dh);
      int wrong = 0;
      for (int y = 0; y < s.dh; ++y)
        for (int x = 0; x < s.dw; ++x) wrong += screen.at(x, y) != (fit.contains(x, y) ? picture.at(0, 0) : 0u);
      EXPECT_EQ(wrong, 0);
      EXPECT_EQ(kept, picture);
    }
  }
}

// Every frame paints its bars: a screen drawn over between frames (a 1:1 frame, or a new
// buffer of the same size at the same place) gets them back whole.
TEST(LetterboxStretcher, PaintsTheBarsEveryFrame) {
  LetterboxStretcher stretcher;
  Bitmap32 picture(8, 3);
  picture.Fill(kBlue);
  Bitmap32 screen(40, 30);
  const Rect fit = FitKeepingShape(8, 3, 40, 30);
  for (int frame = 0; frame < 3; ++frame) {
    screen.Fill(kRed);
    if (frame == 2) screen.at(0, 0) = screen.at(39, 29) = 0;  // corners that happen to be black
    stretcher.Stretch(picture, screen);
    int wrong = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) wrong += screen.at(x, y) != (fit.contains(x, y) ? kBlue : 0u);
    EXPECT_EQ(wrong, 0) << "frame " << frame;
  }
}

}  // namespace
}  // namespace tp
