#include "support/TestPictures.h"

#include <cstdint>

namespace tp::test {

Bitmap32 DetailedPicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.at(x, y) = MakePixel(uint8_t(x * 7 + y), uint8_t((x ^ y) * 3), uint8_t(y * 5 - x), 255);
  return b;
}

}  // namespace tp::test
