#pragma once
// Pictures the tests make for themselves.
#include <string>

#include "imaging/Bitmap32.h"

namespace tp::test {

// A picture with detail everywhere, so that cuts and scales that are off show.
Bitmap32 DetailedPicture(int w, int h);
// A picture like a photo: smooth colour with soft-edged shapes, no detail finer than a few
// pixels, so that two good resamplers of it agree closely.
Bitmap32 PhotoLikePicture(int w, int h);
// Peak signal-to-noise ratio over the colour channels, in dB (99 for equal bitmaps).
double Psnr(const Bitmap32& a, const Bitmap32& b);
// A JPEG with an EXIF block holding only the orientation tag, written after SOI.
std::string WithExifOrientation(const std::string& jpeg, int orientation);

}  // namespace tp::test
