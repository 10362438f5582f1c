#include "support/BenchPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tp::bench {

Bitmap32 PhotoLike(int w, int h) {
  Bitmap32 b;
  b.SetSizeUninitialized(w, h);
  uint32_t seed = 4242;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28) - 8;
      const auto channel = [&](double v) { return uint8_t(std::clamp(int(v) + noise, 0, 255)); };
      b.at(x, y) = MakePixel(channel(128 + 100 * std::sin(x * 0.0021 + y * 0.0013)),
                             channel(128 + 90 * std::cos(x * 0.0017 - y * 0.0029)),
                             channel(96 + 80 * std::sin((x + y) * 0.0011)), 0xFF);
    }
  return b;
}

}  // namespace tp::bench
