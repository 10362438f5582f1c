#pragma once
// Writes a frame as an 8-bit RGB PNG (libpng). False when the file cannot be written.
#include <string>

#include "imaging/Bitmap32.h"

namespace tp {

bool WriteFramePng(const Bitmap32& frame, const std::string& path);

}  // namespace tp
