#pragma once
// Pictures the benchmarks make: in memory, or as photo-like JPEG files.
#include <string>

#include "imaging/Bitmap32.h"

namespace tp::bench {

// Smooth gradients with sensor-like noise, as a photo has; the same for the same size.
Bitmap32 PhotoLike(int w, int h);

// A photo-like JPEG (smooth shapes, edges and sensor-like noise) written row by row, so
// that a 100-megapixel one needs no 400 MB bitmap to make. False when it cannot be written.
bool WritePhotoJpeg(const std::string& path, int w, int h);

}  // namespace tp::bench
