#pragma once
// Old and new test pictures for the effect tests: every pixel differs between the two in
// every colour channel, so "shows the old picture" and "shows the new one" are exact.
#include <cstdint>

#include "core/IntMath.h"
#include "effects/EffectCatalogue.h"
#include "imaging/Bitmap32.h"

namespace tp::testing {

inline Bitmap32 OldPicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      b.at(x, y) = MakePixel(uint8_t(x * 3 % 100), uint8_t(y * 5 % 100), uint8_t((x + y) % 100), 7);
    }
  }
  return b;
}

inline Bitmap32 NewPicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      b.at(x, y) = MakePixel(uint8_t(150 + x * 7 % 100), uint8_t(150 + y * 3 % 100),
                             uint8_t(150 + (x * y) % 100), 9);
    }
  }
  return b;
}

// Pixels that differ; with colourOnly the fourth byte is ignored.
inline int64_t CountDifferent(const Bitmap32& a, const Bitmap32& b, bool colourOnly = false) {
  const Pixel mask = colourOnly ? 0x00FFFFFFu : 0xFFFFFFFFu;
  int64_t n = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) n += ((a.at(x, y) ^ b.at(x, y)) & mask) != 0;
  }
  return n;
}

// The extents the transition driver hands an effect at progress p.
inline void Extents(int w, int h, int p, int& x, int& y) {
  if (w >= h) {
    x = MulDiv(w, p, 100);
    y = MulDiv(x, h, w);
  } else {
    y = MulDiv(h, p, 100);
    x = MulDiv(y, w, h);
  }
}

// One frame of effect `number` drawn over `old` (a copy is returned) from `src`.
inline Bitmap32 DrawFrame(int number, const Bitmap32& old, const Bitmap32& src, int p) {
  Bitmap32 dst = old;
  int x = 0, y = 0;
  Extents(dst.width(), dst.height(), p, x, y);
  FindEffect(number)->draw(dst, src, dst.width(), dst.height(), x, y, p);
  return dst;
}

}  // namespace tp::testing
