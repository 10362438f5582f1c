#pragma once
// How a folder show fills the screen around a picture whose shape differs from it.
#include <string_view>

namespace tp {

enum class PhotoFill {
  Blur,  // the picture itself, blurred and dimmed, behind the fitted picture
  Bars,  // black bars
  Crop,  // the picture covers the screen, cut at the sides; Blur when that cuts too much
};

// The most of a picture a crop may cut, in percent of it, and the default limit.
constexpr int kMaxCropLimitPercent = 50;
constexpr int kDefaultCropLimitPercent = 15;

// "blur", "bars" or "crop" in any case; false for anything else.
bool ParsePhotoFill(std::string_view text, PhotoFill& out);
const char* PhotoFillName(PhotoFill fill);

}  // namespace tp
