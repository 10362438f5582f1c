#pragma once
// Pictures the tests make for themselves.
#include <string>

#include "imaging/Bitmap32.h"

namespace tp::test {

// A picture with detail everywhere, so that cuts and scales that are off show.
Bitmap32 DetailedPicture(int w, int h);
// A JPEG with an EXIF block holding only the orientation tag, written after SOI.
std::string WithExifOrientation(const std::string& jpeg, int orientation);

}  // namespace tp::test
