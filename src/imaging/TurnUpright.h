#pragma once
// Pictures turned upright by their EXIF orientation.
#include "imaging/Bitmap32.h"

namespace tp {

// The pixels turned as the EXIF orientation (1-8) says: the stored pixels read the way
// the camera meant them. Orientation 1 or an unknown value gives a copy.
Bitmap32 TurnUpright(const Bitmap32& src, int orientation);

}  // namespace tp
