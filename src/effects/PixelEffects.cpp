#include "effects/PixelEffects.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
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

// k draws of the generator at once: seed := a * seed + c.
struct RandomJump {
  uint32_t a = 1, c = 0;
};

// Not inlined: with the multiplier unknown at compile time the vector loop below uses
// plain multiplies instead of a long chain of shifts and subtractions.
[[gnu::noinline]] RandomJump JumpOf(int k) {
  RandomJump j;
  for (int i = 0; i < k; ++i) {
    j.a *= 134775813u;
    j.c = j.c * 134775813u + 1u;
  }
  return j;
}

// Random(100) < p for the seed a draw leaves behind is the same as seed < this bound
// (p from 1 to 99): floor(seed * 100 / 2^32) < p exactly when seed * 100 < p * 2^32.
uint32_t DrawBelowBound(int p) { return uint32_t(((uint64_t(p) << 32) + 99) / 100); }

// The dissolve draws for one row: pixel x takes the seed of draw x + 1 after `seed`.
// Sixteen interleaved runs of the generator, four to a vector, so the draws do not wait
// on each other and the choice is a mask rather than a branch (the draws are
// unpredictable by design).
void DissolveRow(Pixel* out, const Pixel* in, int w, uint32_t seed, uint32_t bound,
                 const RandomJump& sixteen) {
  using Lanes = uint32_t __attribute__((vector_size(16)));
  constexpr int kVectors = 4, kLanes = 16;
  Lanes lanes[kVectors];
  for (int j = 0; j < kLanes; ++j) {
    seed = seed * 134775813u + 1u;
    lanes[j / 4][j % 4] = seed;
  }
  const Lanes bounds = {bound, bound, bound, bound};
  int x = 0;
  for (; x + kLanes <= w; x += kLanes) {
    for (int k = 0; k < kVectors; ++k) {
      Lanes o, i;
      std::memcpy(&o, out + x + 4 * k, sizeof o);
      std::memcpy(&i, in + x + 4 * k, sizeof i);
      const Lanes take = Lanes(lanes[k] < bounds);
      o = (i & take) | (o & ~take);
      std::memcpy(out + x + 4 * k, &o, sizeof o);
      lanes[k] = lanes[k] * sixteen.a + sixteen.c;
    }
  }
  for (int j = 0; x < w; ++x, ++j) {
    if (lanes[j / 4][j % 4] < bound) out[x] = in[x];
  }
}

// The columns x in [first, last) of 0..width-1 for which
// v(x) = ((base + x * step) >> 16) + offset lies in 0..limit-1. v is monotone in x, so
// they form one run (empty when first >= last).
struct ColumnRun {
  int first, last;
};

ColumnRun InsideRun(int64_t base, int64_t step, int64_t offset, int64_t limit, int width) {
  auto v = [&](int64_t x) { return ((base + x * step) >> 16) + offset; };
  // The smallest x in 0..width for which pred holds, pred turning from false to true.
  auto firstWhere = [&](auto pred) {
    int lo = 0, hi = width;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (pred(mid)) hi = mid;
      else lo = mid + 1;
    }
    return lo;
  };
  if (step >= 0) {
    return {firstWhere([&](int x) { return v(x) >= 0; }),
            firstWhere([&](int x) { return v(x) >= limit; })};
  }
  return {firstWhere([&](int x) { return v(x) < limit; }),
          firstWhere([&](int x) { return v(x) < 0; })};
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
  // Square tiles keep the source reads of neighbouring rows close together; within a row
  // only the run of columns whose source lies inside the picture is visited.
  constexpr int kTile = 16;
  int runFirst[kTile], runLast[kTile];
  // Held locally: stores into dst could otherwise alias the source's size fields.
  const Pixel* const pixels = src.data();
  const int64_t stride = src.stride();
  for (int ty = 0; ty < h; ty += kTile) {
    const int yEnd = std::min(ty + kTile, h);
    for (int y = ty; y < yEnd; ++y) {
      const int64_t dy = int64_t(y) - pivotY;
      // Source column and row for column x: (x - pivotX) * c - dy * s and
      // (x - pivotX) * s + dy * c, shifted down by 16, plus the pivot.
      const ColumnRun across = InsideRun(-int64_t(pivotX) * c - dy * s, c, pivotX, w, w);
      const ColumnRun down = InsideRun(-int64_t(pivotX) * s + dy * c, s, pivotY, h, w);
      runFirst[y - ty] = std::max(across.first, down.first);
      runLast[y - ty] = std::min(across.last, down.last);
    }
    for (int tx = 0; tx < w; tx += kTile) {
      const int xEnd = std::min(tx + kTile, w);
      for (int y = ty; y < yEnd; ++y) {
        const int first = std::max(runFirst[y - ty], tx), last = std::min(runLast[y - ty], xEnd);
        if (first >= last) continue;
        Pixel* out = dst.scanline(y);
        const int64_t dy = int64_t(y) - pivotY;
        const int64_t dx = int64_t(first) - pivotX;
        int64_t ax = dx * c - dy * s;
        int64_t ay = dx * s + dy * c;
        for (int x = first; x < last; ++x, ax += c, ay += s) {
          out[x] = pixels[((ay >> 16) + pivotY) * stride + (ax >> 16) + pivotX];
        }
      }
    }
  }
}

void FadeFamily(int, Bitmap32& dst, const Bitmap32& src, int w, int h, int, int, int p) {
  const int alpha = std::clamp(MulDiv(256, p, 100), 0, 256);
  if (alpha == 0) return;
  // d + floor((s - d) * alpha / 256) equals (d * (256 - alpha) + s * alpha) div 256, which
  // never leaves 16 bits; worked byte by byte in fixed blocks of four pixels so the
  // compiler can use vector multiplies. The fourth byte keeps d (weights 256 and 0).
  static_assert(std::endian::native == std::endian::little, "pixels are stored B, G, R, X");
  constexpr int kBlock = 16;  // bytes: four pixels
  uint16_t keep[kBlock], take[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    const bool fourth = i % 4 == 3;
    keep[i] = uint16_t(fourth ? 256 : 256 - alpha);
    take[i] = uint16_t(fourth ? 0 : alpha);
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* d = reinterpret_cast<uint8_t*>(dst.scanline(y));
    const uint8_t* s = reinterpret_cast<const uint8_t*>(src.scanline(y));
    const int bytes = 4 * w;
    int i = 0;
    for (; i + kBlock <= bytes; i += kBlock) {
      for (int j = 0; j < kBlock; ++j) {
        d[i + j] = uint8_t((d[i + j] * keep[j] + s[i + j] * take[j]) >> 8);
      }
    }
    for (int j = 0; i < bytes; ++i, ++j) d[i] = uint8_t((d[i] * keep[j] + s[i] * take[j]) >> 8);
  }
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
  if (p <= 0) return;
  const uint32_t seed = uint32_t(w + h);
  const uint32_t bound = DrawBelowBound(std::min(p, 99));
  const bool all = p >= 100;  // every draw is below 100
  if (number == 168) {
    EffectRandom random(seed);
    for (int y = h - 1; y >= 0; --y) {
      if (random.Next(100) < p) std::copy_n(src.scanline(y), w, dst.scanline(y));
    }
  } else if (number == 169) {
    // One draw per column, then the chosen columns copied row by row.
    static thread_local std::vector<Pixel> columnMask;
    columnMask.resize(size_t(w));
    EffectRandom random(seed);
    for (int x = 0; x < w; ++x) columnMask[size_t(x)] = random.Next(100) < p ? ~Pixel(0) : 0;
    const Pixel* mask = columnMask.data();
    for (int y = 0; y < h; ++y) {
      Pixel* out = dst.scanline(y);
      const Pixel* in = src.scanline(y);
      for (int x = 0; x < w; ++x) out[x] = (in[x] & mask[x]) | (out[x] & ~mask[x]);
    }
  } else if (all) {
    for (int y = 0; y < h; ++y) std::copy_n(src.scanline(y), w, dst.scanline(y));
  } else {
    // Memory order: the bottom row first, each row left to right.
    const RandomJump sixteen = JumpOf(16), row = JumpOf(w);
    uint32_t rowSeed = seed;
    for (int y = h - 1; y >= 0; --y) {
      DissolveRow(dst.scanline(y), src.scanline(y), w, rowSeed, bound, sixteen);
      rowSeed = rowSeed * row.a + row.c;
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
