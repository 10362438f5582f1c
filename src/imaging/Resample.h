#pragma once
// Smooth resampling of whole bitmaps.
#include "imaging/Bitmap32.h"

namespace tp {

// Resamples the whole of src into the whole of dst (dst keeps its size) with a separable
// Lanczos-3 filter (all four channels). An empty src or dst does nothing.
void StretchLanczos(const Bitmap32& src, Bitmap32& dst);

// A faster, lower-quality smooth resample of the whole of src into the whole of dst
// (bilinear, with box averaging when shrinking by more than 2).
void StretchSmooth(const Bitmap32& src, Bitmap32& dst);

}  // namespace tp
