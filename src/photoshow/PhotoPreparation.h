#pragma once
// One photo of a folder show made ready for the screen: read, decoded only as large as it
// is shown, turned upright by its EXIF orientation, its colours in sRGB, and composed for
// the screen with its fill (and, when it moves, at the largest size its path needs).
#include <atomic>
#include <string>

#include "photoshow/MovingPhoto.h"
#include "photoshow/PhotoComposition.h"

namespace tp {

// Throws ImageDecodeError (or another std::exception) when the file cannot be shown, and
// when cancel turns true. Touches nothing shared: safe on any thread.
ComposedPhoto PreparePhoto(const std::string& path, int screenWidth, int screenHeight, const PhotoLook& look = {},
                           const std::atomic<bool>* cancel = nullptr);

// The same for a picture that moves as look.motion says.
MovingPhoto PrepareMovingPhoto(const std::string& path, int screenWidth, int screenHeight, const PhotoLook& look,
                               const std::atomic<bool>* cancel = nullptr);

}  // namespace tp
