#pragma once
// Pictures the tests make for themselves.
#include "imaging/Bitmap32.h"

namespace tp::test {

// A picture with detail everywhere, so that cuts and scales that are off show.
Bitmap32 DetailedPicture(int w, int h);

}  // namespace tp::test
