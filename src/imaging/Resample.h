#pragma once
// Smooth resampling of whole bitmaps.
#include <functional>

#include "imaging/Bitmap32.h"

namespace tp {

// Resamples the whole of src into the whole of dst (dst keeps its size) with a separable
// Lanczos-3 filter (all four channels). An empty src or dst does nothing.
void StretchLanczos(const Bitmap32& src, Bitmap32& dst);

// The same for a source still being filled from the top (by a decoder on another thread):
// before reading the first n source rows it calls rowsReady(n), which waits for them and
// returns false when they will never come. It then stops, dst partly written, and returns
// false. The result is identical to StretchLanczos's.
bool StretchLanczos(const Bitmap32& src, Bitmap32& dst, const std::function<bool(int rows)>& rowsReady);

// A faster, lower-quality smooth resample of the whole of src into the whole of dst
// (bilinear, with box averaging when shrinking by more than 2).
void StretchSmooth(const Bitmap32& src, Bitmap32& dst);

}  // namespace tp
