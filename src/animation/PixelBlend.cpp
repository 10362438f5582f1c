#include "animation/PixelBlend.h"

#include <cstdlib>

namespace tp {

void BlendLineClipped(Bitmap32& target, int x0, int y0, int x1, int y1, Pixel colour,
                      uint32_t alpha) {
  // Bresenham over the whole segment; callers keep segments short.
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  int x = x0;
  int y = y0;
  for (;;) {
    BlendPixelClipped(target, x, y, colour, alpha);
    if (x == x1 && y == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

}  // namespace tp
