#include "support/BenchPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

#include "imaging/ImageWriter.h"

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

bool WritePhotoJpeg(const std::string& path, int w, int h) {
  std::vector<Pixel> row(static_cast<size_t>(w));
  uint32_t seed = 777;
  const std::vector<uint8_t> jpeg = EncodeJpegRows(w, h, 90, [&](int y) {
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28) - 8;
      const double r = 128 + 90 * std::sin(x * 0.004 + y * 0.002);
      const double g = 128 + 90 * std::cos(x * 0.0031 - y * 0.0047);
      const double b = ((x / 37 + y / 53) % 2) ? 200 : 60;
      auto clamp = [&](double v) { return uint8_t(std::clamp(int(v) + noise, 0, 255)); };
      row[size_t(x)] = MakePixel(clamp(r), clamp(g), clamp(b), 255);
    }
    return row.data();
  });
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
  return bool(out.flush());
}

}  // namespace tp::bench
