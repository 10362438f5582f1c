#pragma once
// Telling plain pictures from packaged ones, and loading and fitting a plain picture.
#include <string>
#include <string_view>

#include "presentation/PresentationState.h"

namespace tp {

// True for ".JPG", ".BMP" and ".GIF" in any case; every other file is a packaged picture
// (so ".jpeg" is one too).
bool IsPlainPicturePath(std::string_view path);

// Decodes the file and fits it for the run: on the scaled path it fills the working
// resolution; otherwise it is stretched to the screen (keeping its aspect when
// proportional) or kept at its own size. Sets the fitted picture and the picture size.
// Throws (ImageDecodeError or another std::exception) when the file cannot be decoded;
// the state is then unchanged. The shown file path is left to the caller.
void LoadAndFitPlainPicture(const std::string& path, PresentationState& state);

// The same fitting for an already decoded picture.
void FitPlainPicture(Bitmap32 decoded, PresentationState& state);

}  // namespace tp
