#include "imaging/Bitmap32.h"

#include <algorithm>

namespace tp {

void Bitmap32::SetDimensions(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == 0 || height == 0) width = height = 0;
  width_ = width;
  height_ = height;
}

void Bitmap32::SetSize(int width, int height) {
  SetDimensions(width, height);
  pixels_.assign(size_t(width_) * size_t(height_), 0);
}

void Bitmap32::SetSizeUninitialized(int width, int height) {
  SetDimensions(width, height);
  pixels_.resize(size_t(width_) * size_t(height_));
}

void Bitmap32::Fill(Pixel value) { std::fill(pixels_.begin(), pixels_.end(), value); }

}  // namespace tp
