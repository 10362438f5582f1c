// A part of a bitmap resampled over a rectangle of another: exact at 1:1, smooth when
// magnified, averaged rather than aliased when shrunk, and clipped to the target.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

// The tent-weighted average of src around one output pixel, straight from its definition:
// each source pixel weighted by how near its centre is to the sample's, over as wide a
// reach as the shrink (linear interpolation at least), the edge repeated beyond the source.
Pixel TentAt(const Bitmap32& src, const SourceRect& part, const Rect& to, int x, int y) {
  const double kx = part.width / to.width(), ky = part.height / to.height();
  const double rx = std::max(kx, 1.0), ry = std::max(ky, 1.0);
  const double cx = part.x + (x - to.left + 0.5) * kx, cy = part.y + (y - to.top + 0.5) * ky;
  double sum[3] = {}, total = 0;
  for (int j = int(cy - ry) - 2; j <= int(cy + ry) + 2; ++j)
    for (int i = int(cx - rx) - 2; i <= int(cx + rx) + 2; ++i) {
      const double w = std::max(0.0, 1 - std::abs(i + 0.5 - cx) / rx) * std::max(0.0, 1 - std::abs(j + 0.5 - cy) / ry);
      if (w <= 0) continue;
      const Pixel p = src.at(std::clamp(i, 0, src.width() - 1), std::clamp(j, 0, src.height() - 1));
      for (int c = 0; c < 3; ++c) sum[c] += w * ((p >> (8 * c)) & 0xFF);
      total += w;
    }
  return MakePixel(uint8_t(std::lround(sum[2] / total)), uint8_t(std::lround(sum[1] / total)),
                   uint8_t(std::lround(sum[0] / total)));
}

TEST(ScaledView, AShrunkViewIsTheTentAverageOfItsPart) {
  // Noise, so that every weight shows; fractional parts, edges included, shrunk by 1.1 to 3.
  Bitmap32 src(203, 157);
  uint32_t seed = 7;
  for (size_t i = 0; i < src.pixelCount(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    src.data()[i] = seed | 0xFF000000u;
  }
  for (const SourceRect& part : {SourceRect{0, 0, 203, 157}, SourceRect{10.3, 7.7, 120.5, 90.25},
                                 SourceRect{150.6, 100.1, 52.4, 56.9}, SourceRect{0.5, 3.2, 66, 40}}) {
    for (int shrinkTenths : {11, 14, 30}) {
      const Rect to = RectFromSize(2, 3, std::max(1, int(part.width * 10 / shrinkTenths)),
                                   std::max(1, int(part.height * 10 / shrinkTenths)));
      SCOPED_TRACE(std::to_string(part.x) + "," + std::to_string(part.y) + " /" + std::to_string(shrinkTenths));
      Bitmap32 dst(to.right + 2, to.bottom + 2);
      DrawScaledView(src, part, dst, to);
      int worst = 0;
      for (int y = to.top; y < to.bottom; ++y)
        for (int x = to.left; x < to.right; ++x) {
          const Pixel want = TentAt(src, part, to, x, y), got = dst.at(x, y);
          for (int c = 0; c < 24; c += 8) worst = std::max(worst, std::abs(int((want >> c) & 0xFF) - int((got >> c) & 0xFF)));
        }
      EXPECT_LE(worst, 3);
    }
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
