#pragma once
// Writes packaged pictures (".mpp") in the layout TProject reads: for the authoring tool,
// the demo and tests.
#include <cstdint>
#include <string>
#include <vector>

#include "project/PackagedPicture.h"

namespace tp {

// The whole file: picture, thumbnail and mask of the project (the mask run-length coded,
// an empty mask as 0 x 0; a missing thumbnail is made from the picture), waves 0..3 in the main part and 4..7 as the extra records,
// weather, the eight sound slots, the animation text and the build information.
std::vector<uint8_t> EncodePackagedPicture(const TProject& project, int jpegQuality = 90);
// Writes the file; throws std::runtime_error when it cannot be written.
void SavePackagedPicture(const TProject& project, const std::string& path, int jpegQuality = 90);

// The mask as the file stores it: W, H, then runs of length * 10 + area.
std::vector<int32_t> EncodeAreaMask(const Bitmap32& mask);

}  // namespace tp
