#pragma once
// Pictures the image benchmarks make in memory.
#include "imaging/Bitmap32.h"

namespace tp::bench {

// Smooth gradients with sensor-like noise, as a photo has; the same for the same size.
Bitmap32 PhotoLike(int w, int h);

}  // namespace tp::bench
