#include "imaging/BlurredFill.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/Resample.h"

namespace tp {
namespace {

constexpr int kShrink = 16;     // the small bitmap is this many times smaller than the screen
constexpr int kBoxRadius = 3;   // of each box pass, in small pixels
constexpr int kBoxPasses = 3;   // three box passes come close to a Gaussian

// Each pixel of dst is the mean of the pixels of part (a rectangle of src) it covers; when
// dst is larger than part, each pixel takes the one it falls on.
void AverageDown(const Bitmap32& src, const Rect& part, Bitmap32& dst) {
  const int pw = part.width(), ph = part.height(), dw = dst.width(), dh = dst.height();
  std::vector<int> firstColumn(size_t(dw) + 1);
  for (int x = 0; x <= dw; ++x) firstColumn[size_t(x)] = int(int64_t(x) * pw / dw);
  std::vector<uint64_t> sums(size_t(dw) * 3);
  for (int y = 0; y < dh; ++y) {
    const int y0 = int(int64_t(y) * ph / dh), y1 = std::max(y0 + 1, int(int64_t(y + 1) * ph / dh));
    std::fill(sums.begin(), sums.end(), 0);
    for (int yy = y0; yy < y1; ++yy) {
      const Pixel* row = src.scanline(part.top + yy) + part.left;
      for (int x = 0; x < dw; ++x) {
        const int x0 = firstColumn[size_t(x)], x1 = std::max(x0 + 1, firstColumn[size_t(x) + 1]);
        uint64_t* s = &sums[size_t(x) * 3];
        for (int xx = x0; xx < x1; ++xx) {
          s[0] += PixelB(row[xx]);
          s[1] += PixelG(row[xx]);
          s[2] += PixelR(row[xx]);
        }
      }
    }
    Pixel* out = dst.scanline(y);
    for (int x = 0; x < dw; ++x) {
      const int x0 = firstColumn[size_t(x)], x1 = std::max(x0 + 1, firstColumn[size_t(x) + 1]);
      const uint64_t n = uint64_t(y1 - y0) * uint64_t(x1 - x0);
      const uint64_t* s = &sums[size_t(x) * 3];
      out[x] = MakePixel(uint8_t((s[2] + n / 2) / n), uint8_t((s[1] + n / 2) / n), uint8_t((s[0] + n / 2) / n), 0xFF);
    }
  }
}

// One box pass along a line of count pixels step apart, the edges repeated beyond the ends.
void BoxLine(Pixel* first, int count, int step, std::vector<Pixel>& line) {
  line.clear();
  for (int i = 0; i < count; ++i) line.push_back(first[size_t(i) * size_t(step)]);
  const int r = kBoxRadius, n = 2 * r + 1;
  auto at = [&](int i) { return line[size_t(std::clamp(i, 0, count - 1))]; };
  int s[3] = {0, 0, 0};
  for (int i = -r; i <= r; ++i) {
    s[0] += PixelB(at(i));
    s[1] += PixelG(at(i));
    s[2] += PixelR(at(i));
  }
  for (int i = 0; i < count; ++i) {
    first[size_t(i) * size_t(step)] = MakePixel(uint8_t(s[2] / n), uint8_t(s[1] / n), uint8_t(s[0] / n), 0xFF);
    const Pixel in = at(i + r + 1), out = at(i - r);
    s[0] += PixelB(in) - PixelB(out);
    s[1] += PixelG(in) - PixelG(out);
    s[2] += PixelR(in) - PixelR(out);
  }
}

void Dim(Bitmap32& b, int keep) {
  for (int y = 0; y < b.height(); ++y) {
    Pixel* row = b.scanline(y);
    for (int x = 0; x < b.width(); ++x) {
      const Pixel p = row[x];
      row[x] = MakePixel(uint8_t(PixelR(p) * keep >> 8), uint8_t(PixelG(p) * keep >> 8),
                         uint8_t(PixelB(p) * keep >> 8), 0xFF);
    }
  }
}

}  // namespace

Rect CoveringPart(int w, int h, int W, int H) {
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return Rect{};
  int64_t cw = w, ch = h;
  if (int64_t(w) * H > int64_t(h) * W)
    cw = std::clamp<int64_t>((int64_t(h) * W + H / 2) / H, 1, w);  // wider than the screen
  else
    ch = std::clamp<int64_t>((int64_t(w) * H + W / 2) / W, 1, h);
  return RectFromSize(int((w - cw) / 2), int((h - ch) / 2), int(cw), int(ch));
}

Bitmap32 BlurredFill(const Bitmap32& picture, int width, int height, int keep) {
  Bitmap32 fill;
  if (picture.empty() || width <= 0 || height <= 0) return fill;
  const Rect part = CoveringPart(picture.width(), picture.height(), width, height);
  Bitmap32 small;
  small.SetSizeUninitialized((width + kShrink - 1) / kShrink, (height + kShrink - 1) / kShrink);
  AverageDown(picture, part, small);
  std::vector<Pixel> line;
  for (int pass = 0; pass < kBoxPasses; ++pass) {
    for (int y = 0; y < small.height(); ++y) BoxLine(small.scanline(y), small.width(), 1, line);
    for (int x = 0; x < small.width(); ++x) BoxLine(small.data() + x, small.height(), small.stride(), line);
  }
  Dim(small, std::clamp(keep, 0, 256));
  fill.SetSizeUninitialized(width, height);
  StretchSmooth(small, fill);
  return fill;
}

}  // namespace tp
