#pragma once
// One photo of a folder show made ready for the screen: read, decoded only as large as it
// is shown, turned upright by its EXIF orientation, its colours in sRGB, fitted to the
// screen keeping its shape.
#include <atomic>
#include <string>

#include "presentation/PictureLoading.h"

namespace tp {

// Throws ImageDecodeError (or another std::exception) when the file cannot be shown, and
// when cancel turns true. Touches nothing shared: safe on any thread.
FittedPicture PreparePhoto(const std::string& path, int screenWidth, int screenHeight,
                           const std::atomic<bool>* cancel = nullptr);

// The same for a decoded photo already upright.
FittedPicture FitPhoto(Bitmap32 upright, int screenWidth, int screenHeight);

}  // namespace tp
