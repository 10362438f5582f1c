#pragma once
// Old and new test pictures for the effect tests: every pixel differs between the two in
// every colour channel, so "shows the old picture" and "shows the new one" are exact.
#include <cstdint>

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

}  // namespace tp::testing
