#include "imaging/Bitmap32.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace tp {
namespace {

std::atomic<size_t> g_maxPixels{Bitmap32::kDefaultMaxPixels};

}  // namespace

void Bitmap32::SetMaxPixels(size_t pixels) { g_maxPixels.store(pixels, std::memory_order_relaxed); }
size_t Bitmap32::MaxPixels() { return g_maxPixels.load(std::memory_order_relaxed); }

std::pair<int, int> Bitmap32::Dimensions(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == 0 || height == 0) return {0, 0};
  // Past the limit the allocation fails as a failed allocation would, before anything
  // changes.
  if (size_t(width) * size_t(height) > MaxPixels()) throw std::bad_alloc();
  return {width, height};
}

// The pixels are allocated first; the size changes only once they are there, so a failed
// allocation leaves the bitmap as it was.
void Bitmap32::SetSize(int width, int height) {
  const auto [w, h] = Dimensions(width, height);
  pixels_.assign(size_t(w) * size_t(h), 0);
  width_ = w;
  height_ = h;
}

void Bitmap32::SetSizeUninitialized(int width, int height) {
  const auto [w, h] = Dimensions(width, height);
  pixels_.resize(size_t(w) * size_t(h));
  width_ = w;
  height_ = h;
}

void Bitmap32::Fill(Pixel value) { std::fill(pixels_.begin(), pixels_.end(), value); }

}  // namespace tp
