#pragma once
// Blended single pixels and short lines drawn straight into a Bitmap32, clipped to its
// bounds. Each colour channel becomes (src * a + dst * (255 - a)) div 255; the
// destination keeps its fourth byte.
#include <cstdint>

#include "imaging/Bitmap32.h"

namespace tp {

inline Pixel BlendChannels(Pixel dst, Pixel src, uint32_t alpha) {
  const uint32_t inv = 255 - alpha;
  const uint32_t b = (PixelB(src) * alpha + PixelB(dst) * inv) / 255;
  const uint32_t g = (PixelG(src) * alpha + PixelG(dst) * inv) / 255;
  const uint32_t r = (PixelR(src) * alpha + PixelR(dst) * inv) / 255;
  return (dst & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// Blends colour into (x, y) with alpha 0..255; points outside the bitmap are ignored.
inline void BlendPixelClipped(Bitmap32& target, int x, int y, Pixel colour, uint32_t alpha) {
  if (x < 0 || y < 0 || x >= target.width() || y >= target.height()) return;
  Pixel& d = target.scanline(y)[x];
  d = BlendChannels(d, colour, alpha);
}

// A blended line from (x0, y0) to (x1, y1), both end points included (a zero-length
// line is one pixel). Pixels outside the bitmap are skipped.
void BlendLineClipped(Bitmap32& target, int x0, int y0, int x1, int y1, Pixel colour,
                      uint32_t alpha);

}  // namespace tp
