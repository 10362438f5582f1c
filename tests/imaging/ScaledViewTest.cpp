// A part of a bitmap resampled over a rectangle of another: exact at 1:1, smooth when
// magnified, averaged rather than aliased when shrunk, and clipped to the target.
#include <gtest/gtest.h>

#include "imaging/ScaledView.h"

namespace tp {
namespace {

Bitmap32 Numbered(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.at(x, y) = MakePixel(uint8_t(x * 7), uint8_t(y * 5), uint8_t(x + y), 255);
  return b;
}

TEST(ScaledView, OneToOneAtWholePixelsCopiesExactly) {
  const Bitmap32 src = Numbered(40, 30);
  Bitmap32 dst(20, 20);
  DrawScaledView(src, {10, 5, 12, 9}, dst, RectFromSize(3, 4, 12, 9));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(dst.at(3 + x, 4 + y) & 0xFFFFFFu, src.at(10 + x, 5 + y) & 0xFFFFFFu);
  EXPECT_EQ(dst.at(2, 4), 0u);   // outside the target: untouched
  EXPECT_EQ(dst.at(15, 12), 0u);
}

TEST(ScaledView, MagnifiedItBlendsAndShrunkItAverages) {
  // Black then white columns, magnified four times: a ramp between them, not a step.
  Bitmap32 two(2, 1);
  two.at(0, 0) = MakePixel(0, 0, 0, 255);
  two.at(1, 0) = MakePixel(255, 255, 255, 255);
  Bitmap32 wide(8, 1);
  DrawScaledView(two, {0, 0, 2, 1}, wide, RectFromSize(0, 0, 8, 1));
  EXPECT_LT(PixelG(wide.at(0, 0)), 10);
  EXPECT_GT(PixelG(wide.at(7, 0)), 245);
  for (int x = 3; x <= 4; ++x) EXPECT_NEAR(PixelG(wide.at(x, 0)), 128, 60) << x;
  // Alternating columns shrunk 1.7 and 3 times: grey everywhere.
  Bitmap32 stripes(300, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 300; ++x) stripes.at(x, y) = x % 2 ? MakePixel(255, 255, 255, 255) : 0xFF000000u;
  for (int to : {176, 100}) {
    Bitmap32 small(to, 4);
    DrawScaledView(stripes, {0, 0, 300, 4}, small, RectFromSize(0, 0, to, 4));
    for (int x = 1; x < to - 1; ++x) ASSERT_NEAR(PixelG(small.at(x, 2)), 128, 40) << to << " " << x;
  }
}

TEST(ScaledView, TheTargetIsClippedAndEmptyInputsDoNothing) {
  const Bitmap32 src = Numbered(10, 10);
  Bitmap32 dst(8, 8);
  DrawScaledView(src, {0, 0, 10, 10}, dst, RectFromSize(-5, -5, 10, 10));
  EXPECT_EQ(dst.at(0, 0) & 0xFFFFFFu, src.at(5, 5) & 0xFFFFFFu);
  EXPECT_EQ(dst.at(4, 4) & 0xFFFFFFu, src.at(9, 9) & 0xFFFFFFu);
  EXPECT_EQ(dst.at(5, 5), 0u);
  Bitmap32 before = dst;
  DrawScaledView(Bitmap32(), {0, 0, 10, 10}, dst, RectFromSize(0, 0, 8, 8));
  DrawScaledView(src, {0, 0, 0, 10}, dst, RectFromSize(0, 0, 8, 8));
  DrawScaledView(src, {0, 0, 10, 10}, dst, RectFromSize(20, 20, 8, 8));
  EXPECT_EQ(dst.data()[0], before.data()[0]);
  EXPECT_TRUE(std::equal(dst.data(), dst.data() + dst.pixelCount(), before.data()));
}

}  // namespace
}  // namespace tp
