#include "effects/PixelEffects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/IntMath.h"
#include "core/ProgramRandom.h"
#include "effects/EffectRandom.h"
#include "imaging/Draw.h"

namespace tp {
namespace {

uint8_t AddClamped(uint8_t v, int offset) {
  return uint8_t(std::clamp(int(v) + offset, 0, 255));
}

Pixel ShadePixel(Pixel p, int offset) {
  return (p & 0xFF000000u) | (Pixel(AddClamped(PixelR(p), offset)) << 16) |
         (Pixel(AddClamped(PixelG(p), offset)) << 8) | Pixel(AddClamped(PixelB(p), offset));
}

// The ramp of offsets: starts at -amount, rises toward the middle, falls after it.
const std::vector<int>& ShadeRamp(int amount, int count) {
  static thread_local std::vector<int> ramp;
  ramp.resize(size_t(count));
  const int half = count / 2;
  int offset = -amount;
  for (int i = 0; i < count; ++i) {
    ramp[size_t(i)] = offset;
    if (half < amount) {
      const int step = amount / half;
      offset += i < half ? step : -step;
    } else {
      const int period = std::max(half / amount, 1);
      if ((i + 1) % period == 0) offset += i < half ? 1 : -1;
    }
  }
  return ramp;
}

// Roll width of the Unroll family: a tenth of the length, limited by the part already
// uncovered and by the room left beyond it.
int RollWidth(int length, int extent) {
  int r = length / 10;
  if (extent < r) {
    r = extent;
  } else if (length - extent < 2 * r) {
    r = (length - extent) / 2;
  }
  return std::max(r, 0);
}

}  // namespace

void BlendBlock(Bitmap32& dst, const Bitmap32& src, int percent, const Rect& rect) {
  BlendToward(dst, src, MulDiv(256, percent, 100), rect);
}

void ShadeColumns(Bitmap32& dst, int amount, int first, int count, int length) {
  if (count <= 1 || amount == 0) return;
  const std::vector<int>& ramp = ShadeRamp(amount, count);
  const int x0 = std::max(first, 0);
  const int x1 = std::min(first + count, dst.width());
  const int rows = std::min(length, dst.height());
  for (int y = 0; y < rows; ++y) {
    Pixel* row = dst.scanline(y);
    for (int x = x0; x < x1; ++x) row[x] = ShadePixel(row[x], ramp[size_t(x - first)]);
  }
}

void ShadeRows(Bitmap32& dst, int amount, int first, int count, int length) {
  if (count <= 1 || amount == 0) return;
  const std::vector<int>& ramp = ShadeRamp(amount, count);
  const int y0 = std::max(first, 0);
  const int y1 = std::min(first + count, dst.height());
  const int cols = std::min(length, dst.width());
  for (int y = y0; y < y1; ++y) {
    Pixel* row = dst.scanline(y);
    const int offset = ramp[size_t(y - first)];
    for (int x = 0; x < cols; ++x) row[x] = ShadePixel(row[x], offset);
  }
}

void RotatePixels(Bitmap32& dst, const Bitmap32& src, int w, int h, int pivotX, int pivotY,
                  double angle) {
  w = std::min({w, dst.width(), src.width()});
  h = std::min({h, dst.height(), src.height()});
  if (w <= 0 || h <= 0) return;
  const int64_t s = int64_t(std::trunc(std::sin(-angle) * 65536.0));
  const int64_t c = int64_t(std::trunc(std::cos(-angle) * 65536.0));
  for (int y = 0; y < h; ++y) {
    Pixel* out = dst.scanline(y);
    const int64_t dy = int64_t(y) - pivotY;
    // Rotated offsets for x = 0, then stepped by the factors per column.
    int64_t ax = -int64_t(pivotX) * c - dy * s;
    int64_t ay = -int64_t(pivotX) * s + dy * c;
    for (int x = 0; x < w; ++x, ax += c, ay += s) {
      const int64_t sx = (ax >> 16) + pivotX;
      const int64_t sy = (ay >> 16) + pivotY;
      if (uint64_t(sx) < uint64_t(w) && uint64_t(sy) < uint64_t(h)) {
        out[x] = src.scanline(int(sy))[sx];
      }
    }
  }
}

void FadeFamily(int, Bitmap32& dst, const Bitmap32& src, int w, int h, int, int, int p) {
  BlendToward(dst, src, MulDiv(256, p, 100), Rect{0, 0, w, h});
}

void PixelateFamily(int, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y, int p) {
  const bool fromNew = p > 50;
  const int k = fromNew ? MulDiv(p - 100, 82, 50) + 180 : 180 - MulDiv(p, 82, 50);
  const int ex = fromNew ? w - x : x;
  const int ey = fromNew ? h - y : y;
  const int ox = MulDiv(ex, k, 100);
  const int oy = MulDiv(ey, k, 100);
  // At least two source pixels, but never more than the bitmap has.
  const int sw = std::min(std::max(w - 2 * ox, 2), w);
  const int sh = std::min(std::max(h - 2 * oy, 2), h);
  bool sourceIsDst = !fromNew;
  if (p > 40 && p < 60) {
    BlendBlock(dst, src, 5 * p - 200, RectFromSize(ox, oy, sw, sh));
    sourceIsDst = true;
  }
  if (sourceIsDst) {
    if (ox != 0 || oy != 0 || sw != w || sh != h) {
      SelfStretch(dst, -2 * ox, -2 * oy, w + 4 * ox, h + 4 * oy, ox, oy, sw, sh);
    }
  } else {
    Stretch(dst, -2 * ox, -2 * oy, w + 4 * ox, h + 4 * oy, src, ox, oy, sw, sh);
  }
}

void DissolveFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int, int,
                    int p) {
  // The pattern depends on w and h only; the shared generator is left untouched.
  EffectRandom random(uint32_t(w + h));
  if (number == 168) {
    for (int y = h - 1; y >= 0; --y) {
      if (random.Next(100) < p) std::copy_n(src.scanline(y), w, dst.scanline(y));
    }
  } else if (number == 169) {
    for (int x = 0; x < w; ++x) {
      if (random.Next(100) < p) {
        for (int y = 0; y < h; ++y) dst.scanline(y)[x] = src.scanline(y)[x];
      }
    }
  } else {
    for (int y = h - 1; y >= 0; --y) {
      Pixel* out = dst.scanline(y);
      const Pixel* in = src.scanline(y);
      for (int x = 0; x < w; ++x) {
        if (random.Next(100) < p) out[x] = in[x];
      }
    }
  }
}

void UnrollFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                  int) {
  constexpr int kShade = 48;
  switch (number) {
    case 17: {
      const int r = RollWidth(w, x);
      Stretch(dst, x + r - 1, 0, -r, h, src, x + r, 0, r, h);
      Copy(dst, 0, 0, x, h, src, 0, 0);
      ShadeColumns(dst, kShade, x, r, h);
      break;
    }
    case 18: {
      const int r = RollWidth(w, x);
      const int left = w - x;
      Stretch(dst, left - 1, 0, -r, h, src, left - 2 * r - 1, 0, r, h);
      Copy(dst, left, 0, x, h, src, left, 0);
      ShadeColumns(dst, kShade, left - r, r, h);
      break;
    }
    case 34: {
      const int r = RollWidth(h, y);
      Stretch(dst, 0, y + r - 1, w, -r, src, 0, y + r, w, r);
      Copy(dst, 0, 0, w, y, src, 0, 0);
      ShadeRows(dst, kShade, y, r, w);
      break;
    }
    default: {  // 35
      const int r = RollWidth(h, y);
      const int top = h - y;
      Stretch(dst, 0, top - 1, w, -r, src, 0, top - 2 * r - 1, w, r);
      Copy(dst, 0, top, w, y, src, 0, top);
      ShadeRows(dst, kShade, top - r, r, w);
      break;
    }
  }
}

void BuildUpFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                   int) {
  switch (number) {
    case 19: {
      Copy(dst, 0, 0, x, h, src, 0, 0);
      const int s = std::min(w - x, w / 10);
      Stretch(dst, x, 0, w - x, h, src, x, 0, s, h);
      break;
    }
    case 20: {
      Copy(dst, w - x, 0, x, h, src, w - x, 0);
      const int sx = std::max(w - x - w / 10, 0);
      Stretch(dst, 0, 0, w - x, h, src, sx, 0, w - x - sx, h);
      break;
    }
    case 36: {
      Copy(dst, 0, 0, w, y, src, 0, 0);
      const int s = std::min(h - y, h / 10);
      Stretch(dst, 0, y, w, h - y, src, 0, y, w, s);
      break;
    }
    default: {  // 37
      Copy(dst, 0, h - y, w, y, src, 0, h - y);
      const int sy = std::max(h - y - h / 10, 0);
      Stretch(dst, 0, 0, w, h - y, src, 0, sy, w, h - y - sy);
      break;
    }
  }
}

void PivotFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int, int, int p) {
  constexpr double kPi = std::numbers::pi;
  switch (number) {
    case 121: RotatePixels(dst, src, w, h, -1, -1, (100 - p) * kPi / 200); break;
    case 122: RotatePixels(dst, src, w, h, -1, h, (p - 100) * kPi / 200); break;
    case 123: RotatePixels(dst, src, w, h, w, -1, (p - 100) * kPi / 200); break;
    default: RotatePixels(dst, src, w, h, w, h, (100 - p) * kPi / 200); break;  // 124
  }
}

}  // namespace tp
