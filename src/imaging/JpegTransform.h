#pragma once
// Turning a JPEG upright without re-encoding it: the camera's EXIF orientation applied
// as a lossless transform of the compressed blocks (libturbojpeg), every marker kept,
// the orientation tag then set to 1. A picture whose size is not a whole number of
// blocks in the direction the transform moves cannot be turned so (its edge blocks would
// have to be cut), nor can one whose blocks would not fit the decoder memory bound.
#include <optional>
#include <string>
#include <string_view>

namespace tp {

// The JPEG turned as orientation (2-8) says; nullopt when it cannot be turned without
// loss (or is not a JPEG the library reads).
std::optional<std::string> TurnJpegLosslessly(std::string_view jpeg, int orientation);

// Sets the value of the orientation entry in the first IFD of the JPEG's EXIF segment,
// in place. False when it has no such entry.
bool SetExifOrientation(std::string& jpeg, int orientation);

}  // namespace tp
