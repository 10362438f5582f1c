#include "imaging/TurnUpright.h"

namespace tp {

Bitmap32 TurnUpright(const Bitmap32& src, int orientation) {
  const int w = src.width(), h = src.height();
  if (orientation < 2 || orientation > 8) return src;
  const bool swap = orientation >= 5;
  Bitmap32 out;
  out.SetSizeUninitialized(swap ? h : w, swap ? w : h);
  for (int y = 0; y < out.height(); ++y) {
    Pixel* row = out.scanline(y);
    for (int x = 0; x < out.width(); ++x) {
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = w - 1 - x; break;                   // mirrored left to right
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;   // upside down
        case 4: sy = h - 1 - y; break;                   // mirrored top to bottom
        case 5: sx = y; sy = x; break;                   // transposed
        case 6: sx = y; sy = h - 1 - x; break;           // needs a quarter turn clockwise
        case 7: sx = w - 1 - y; sy = h - 1 - x; break;   // transversed
        case 8: sx = w - 1 - y; sy = x; break;           // needs a quarter turn anticlockwise
      }
      row[x] = src.at(sx, sy);
    }
  }
  return out;
}

}  // namespace tp
