#include "platform/headless/FrameHash.h"

#include <cstdio>

namespace tp {
namespace {
constexpr uint64_t kOffset = 14695981039346656037ull;
constexpr uint64_t kPrime = 1099511628211ull;

inline uint64_t Mix(uint64_t h, Pixel p) {
  h = (h ^ PixelB(p)) * kPrime;
  h = (h ^ PixelG(p)) * kPrime;
  h = (h ^ PixelR(p)) * kPrime;
  return h;
}
}  // namespace

uint64_t FrameHash(const Bitmap32& bitmap) {
  uint64_t h = kOffset;
  for (int y = 0; y < bitmap.height(); ++y) {
    const Pixel* row = bitmap.scanline(y);
    for (int x = 0; x < bitmap.width(); ++x) h = Mix(h, row[x]);
  }
  return h;
}

uint64_t SolidFrameHash(int width, int height, Pixel color) {
  uint64_t h = kOffset;
  for (long i = 0; i < long(width) * long(height); ++i) h = Mix(h, color);
  return h;
}

std::string HashHex(uint64_t hash) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", (unsigned long long)hash);
  return buf;
}

}  // namespace tp
