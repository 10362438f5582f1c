// Smooth resampling: Lanczos-3 against a double-precision reference and against
// ImageMagick's Lanczos resize; exact properties (identity, flat pictures stay flat);
// the fast resampler's box and bilinear paths.
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/import/ImageLoader.h"
#include "imaging/ImagingTestSupport.h"
#include "imaging/Resample.h"

namespace tp {
namespace {

using test::Convert;
using test::TempDir;

double Lanczos3(double x) {
  if (x == 0) return 1;
  if (std::abs(x) >= 3) return 0;
  const double px = M_PI * x;
  return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// Separable Lanczos-3 in doubles, pixel centres aligned, the kernel widened by the
// shrink factor, taps outside the source dropped and the rest renormalised.
std::vector<std::vector<double>> Weights(int srcLen, int dstLen) {
  const double scale = double(srcLen) / dstLen, fs = std::max(scale, 1.0);
  std::vector<std::vector<double>> w(size_t(dstLen), std::vector<double>(size_t(srcLen), 0.0));
  for (int i = 0; i < dstLen; ++i) {
    const double c = (i + 0.5) * scale;
    double sum = 0;
    for (int j = 0; j < srcLen; ++j) sum += w[size_t(i)][size_t(j)] = Lanczos3((j + 0.5 - c) / fs);
    for (double& v : w[size_t(i)]) v /= sum;
  }
  return w;
}

// Horizontal pass first, its result rounded and clamped to 8 bits, then the vertical pass
// (the usual layout of a separable resize with an 8-bit intermediate).
Bitmap32 ReferenceLanczos(const Bitmap32& src, int dw, int dh) {
  const auto wx = Weights(src.width(), dw), wy = Weights(src.height(), dh);
  auto channel = [](Pixel p, int s) { return double((p >> s) & 0xFF); };
  auto toByte = [](double v) { return Pixel(std::clamp<long>(std::lround(v), 0, 255)); };
  Bitmap32 mid(dw, src.height()), out(dw, dh);
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < dw; ++x)
      for (int s = 0; s < 32; s += 8) {
        double acc = 0;
        for (int sx = 0; sx < src.width(); ++sx) acc += wx[size_t(x)][size_t(sx)] * channel(src.at(sx, y), s);
        mid.at(x, y) |= toByte(acc) << s;
      }
  for (int y = 0; y < dh; ++y)
    for (int x = 0; x < dw; ++x)
      for (int s = 0; s < 32; s += 8) {
        double acc = 0;
        for (int sy = 0; sy < src.height(); ++sy) acc += wy[size_t(y)][size_t(sy)] * channel(mid.at(x, sy), s);
        out.at(x, y) |= toByte(acc) << s;
      }
  return out;
}

Bitmap32 Varied(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.at(x, y) = MakePixel(uint8_t((x * 37 + y * 11) % 256), uint8_t(((x / 3) % 2) ? 230 : 20),
                             uint8_t(128 + 100 * std::sin(x * 0.4 + y * 0.3)), uint8_t(255 - 3 * y));
  return b;
}

TEST(StretchLanczos, MatchesADoublePrecisionReference) {
  const Bitmap32 src = Varied(41, 23);
  const std::pair<int, int> sizes[] = {{17, 9}, {41, 23}, {96, 50}, {13, 23}, {41, 7}, {3, 2}, {1, 1}};
  for (auto [dw, dh] : sizes) {
    Bitmap32 ours(dw, dh);
    StretchLanczos(src, ours);
    const Bitmap32 ref = ReferenceLanczos(src, dw, dh);
    EXPECT_LE(test::MaxChannelDiff(ours, ref), 2) << dw << "x" << dh;
  }
}

TEST(StretchLanczos, SameSizeIsExactAndFlatPicturesStayFlat) {
  const Bitmap32 src = Varied(33, 21);
  Bitmap32 same(33, 21);
  StretchLanczos(src, same);
  EXPECT_EQ(same, src);
  Bitmap32 flat(50, 31);
  flat.Fill(MakePixel(200, 3, 255, 128));
  for (auto [dw, dh] : {std::pair{7, 5}, std::pair{123, 77}, std::pair{50, 1}}) {
    Bitmap32 out(dw, dh);
    StretchLanczos(flat, out);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) ASSERT_EQ(out.at(x, y), MakePixel(200, 3, 255, 128)) << dw << "x" << dh;
  }
  Bitmap32 empty, target(4, 4);
  target.Fill(5);
  StretchLanczos(empty, target);
  EXPECT_EQ(target.at(3, 3), 5u);
}

TEST(StretchLanczos, CloseToImageMagicksLanczosResize) {
  TempDir dir;
  const std::string src = dir / "src.png";
  test::MakeTestPicture(src, 320, 200);
  Convert(src + " -filter Lanczos -resize 128x77! " + dir / "down.png");
  Convert(src + " -filter Lanczos -resize 517x301! " + dir / "up.png");
  const Bitmap32 in = LoadImageFile(dir / "src.png");
  Bitmap32 down(128, 77), up(517, 301);
  StretchLanczos(in, down);
  StretchLanczos(in, up);
  EXPECT_GE(test::Psnr(down, test::ReferencePixels(dir / "down.png")), 35.0);
  EXPECT_GE(test::Psnr(up, test::ReferencePixels(dir / "up.png")), 35.0);
}

TEST(StretchSmooth, BoxAveragesWhenShrinkingAndInterpolatesOtherwise) {
  Bitmap32 src(4, 2);
  const uint8_t v[2][4] = {{0, 10, 100, 101}, {20, 30, 200, 200}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src.at(x, y) = MakePixel(v[y][x], 0, 0, 255);
  Bitmap32 box(2, 1);
  StretchSmooth(src, box);
  EXPECT_EQ(box.at(0, 0), MakePixel(15, 0, 0, 255));   // (0 + 10 + 20 + 30) / 4
  EXPECT_EQ(box.at(1, 0), MakePixel(150, 0, 0, 255));  // (100 + 101 + 200 + 200 + 2) / 4
  Bitmap32 same(4, 2);
  StretchSmooth(src, same);
  EXPECT_EQ(same, src);
  Bitmap32 flat(9, 7), out(13, 10);
  flat.Fill(MakePixel(1, 2, 3, 4));
  StretchSmooth(flat, out);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(out.at(x, y), MakePixel(1, 2, 3, 4));
  // Between two columns the bilinear result lies between their values.
  Bitmap32 two(2, 1), wide(8, 1);
  two.at(0, 0) = MakePixel(0, 0, 0, 255);
  two.at(1, 0) = MakePixel(200, 0, 0, 255);
  StretchSmooth(two, wide);
  for (int x = 1; x < 8; ++x) EXPECT_GE(PixelR(wide.at(x, 0)), PixelR(wide.at(x - 1, 0)));
  EXPECT_EQ(PixelR(wide.at(0, 0)), 0);
  EXPECT_EQ(PixelR(wide.at(7, 0)), 200);
}

}  // namespace
}  // namespace tp
