#pragma once
// One frame of a moving picture: a fractional rectangle of a bitmap resampled over a
// rectangle of another. Magnified or kept, the picture is sampled bilinearly (pixman);
// shrunk, each screen pixel averages the picture under it through a tent as wide as the
// shrink, so nothing aliases. That tent is ours, separable with 8-bit weights and SSE2 for
// up to four taps (shrinks to about 1.5): pixman's separable convolution does the same ten
// times slower, too slow for a frame. Both
// bitmaps stay where they are; the filter tables and one row of scratch are kept per
// thread, so frames after the first allocate nothing.
#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

struct SourceRect {
  double x = 0, y = 0, width = 0, height = 0;
};

// Draws part of src over `to` in dst (clipped to dst). Pixels outside src repeat its edge.
// Does nothing when either bitmap or either rectangle is empty.
void DrawScaledView(const Bitmap32& src, const SourceRect& part, Bitmap32& dst, const Rect& to);

}  // namespace tp
