#include "imaging/Bitmap32.h"

#include <algorithm>

namespace tp {

void Bitmap32::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == 0 || height == 0) {
    width = height = 0;
  }
  width_ = width;
  height_ = height;
  pixels_.assign(size_t(width) * size_t(height), 0);
}

void Bitmap32::SetSizeUninitialized(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == 0 || height == 0) {
    width = height = 0;
  }
  width_ = width;
  height_ = height;
  pixels_.resize(size_t(width) * size_t(height));
}

void Bitmap32::Fill(Pixel value) { std::fill(pixels_.begin(), pixels_.end(), value); }

}  // namespace tp
