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

void FrameHasher::Add(const Pixel* pixels, int count) {
  uint64_t h = hash_;
  for (int x = 0; x < count; ++x) h = Mix(h, pixels[x]);
  hash_ = h;
}

uint64_t FrameHash(const Bitmap32& bitmap) {
  FrameHasher hasher;
  for (int y = 0; y < bitmap.height(); ++y) hasher.Add(bitmap.scanline(y), bitmap.width());
  return hasher.Hash();
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
