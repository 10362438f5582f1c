#pragma once
// The block families: copies and nearest-pixel stretches of parts of the new picture
// (4-16, 21-33, 38-60) and the pushes that move the old picture out (130-137).
#include "imaging/Bitmap32.h"

namespace tp {

void BlockCopyFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                     int p);

}  // namespace tp
