// The blurred fill: the covering part of the picture, blurred far across the screen and
// dimmed, for any shape of picture and screen.
#include <gtest/gtest.h>

#include "imaging/BlurredFill.h"

namespace tp {
namespace {

TEST(BlurredFill, TheCoveringPartIsTheCentredPartWithTheScreensShape) {
  EXPECT_EQ(CoveringPart(400, 100, 320, 180), RectFromSize(111, 0, 178, 100));  // wide: the sides go
  EXPECT_EQ(CoveringPart(90, 160, 320, 180), RectFromSize(0, 54, 90, 51));      // tall: top and bottom go
  EXPECT_EQ(CoveringPart(640, 360, 320, 180), RectFromSize(0, 0, 640, 360));
  EXPECT_EQ(CoveringPart(1, 20000, 1920, 1080), RectFromSize(0, 9999, 1, 1));  // never empty
  EXPECT_EQ(CoveringPart(20000, 1, 1080, 1920), RectFromSize(9999, 0, 1, 1));
  EXPECT_TRUE(CoveringPart(0, 10, 320, 180).empty());
}

TEST(BlurredFill, AnEdgeIsSpreadFarAndTheLightDimmed) {
  // Left half white, right half black.
  Bitmap32 picture(640, 360);
  for (int y = 0; y < 360; ++y)
    for (int x = 0; x < 640; ++x) picture.at(x, y) = x < 320 ? 0xFFFFFFFFu : 0xFF000000u;
  const Bitmap32 fill = BlurredFill(picture, 320, 180);
  ASSERT_EQ(fill.width(), 320);
  ASSERT_EQ(fill.height(), 180);
  const int keptWhite = 255 * kBlurredFillKeep / 256;
  const auto grey = [&](int x) { return int(PixelG(fill.at(x, 90))); };
  EXPECT_NEAR(grey(0), keptWhite, 3);  // far from the edge: white, dimmed
  EXPECT_LE(grey(319), 3);
  // Across the edge the light falls off over a wide band, not a step.
  int between = 0;
  for (int x = 0; x < 320; ++x)
    if (grey(x) > keptWhite / 10 && grey(x) < keptWhite * 9 / 10) ++between;
  EXPECT_GT(between, 320 / 8);
  for (int x = 1; x < 320; ++x) ASSERT_LE(grey(x), grey(x - 1) + 1) << x;  // falls off smoothly
  for (int y = 0; y < 180; ++y) ASSERT_EQ(PixelA(fill.at(0, y)), 0xFF);
}

TEST(BlurredFill, TinyPicturesAndScreensStillGiveAFill) {
  Bitmap32 dot(1, 1);
  dot.Fill(0xFF8040C0u);
  const Bitmap32 big = BlurredFill(dot, 1920, 1080, 256);
  ASSERT_EQ(big.width(), 1920);
  EXPECT_EQ(big.at(0, 0) & 0xFFFFFFu, 0x8040C0u);
  EXPECT_EQ(big.at(1919, 1079) & 0xFFFFFFu, 0x8040C0u);
  const Bitmap32 one = BlurredFill(Bitmap32(300, 200), 1, 1);
  EXPECT_EQ(one.width(), 1);
  EXPECT_TRUE(BlurredFill(Bitmap32(), 100, 100).empty());
  EXPECT_TRUE(BlurredFill(dot, 0, 100).empty());
}

}  // namespace
}  // namespace tp
