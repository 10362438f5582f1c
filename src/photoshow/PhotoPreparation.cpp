#include "photoshow/PhotoPreparation.h"

#include <algorithm>
#include <utility>

#include "imaging/TurnUpright.h"
#include "imaging/import/ImageLoader.h"

namespace tp {

ComposedPhoto PreparePhoto(const std::string& path, int screenWidth, int screenHeight, const PhotoLook& look,
                           const std::atomic<bool>* cancel) {
  const std::string bytes = ReadPictureFile(path);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const PictureFacts facts = ReadPictureFacts(data, bytes.size());
  const int orientation = (facts.orientation >= 1 && facts.orientation <= 8) ? facts.orientation : 1;
  const bool sidesSwap = orientation >= 5;

  DecodeRequest request;
  request.cancel = cancel;
  request.toSrgb = true;
  const int uprightW = sidesSwap ? facts.height : facts.width;
  const int uprightH = sidesSwap ? facts.width : facts.height;
  if (facts.width > 0 && facts.height > 0 && screenWidth > 0 && screenHeight > 0) {
    // The size the picture is shown at once upright (fitted, or covering the screen when
    // cropped), in the stored picture's directions: a JPEG is then decoded at the smallest
    // DCT scale that still covers it.
    const double fitW = double(screenWidth) / uprightW, fitH = double(screenHeight) / uprightH;
    const bool cropped = FillFor(uprightW, uprightH, screenWidth, screenHeight, look) == PhotoFill::Crop;
    const double scale = cropped ? std::max(fitW, fitH) : std::min(fitW, fitH);
    if (scale < 1.0) {
      const int shownW = std::max(1, int(uprightW * scale + 0.999));
      const int shownH = std::max(1, int(uprightH * scale + 0.999));
      request.minWidth = sidesSwap ? shownH : shownW;
      request.minHeight = sidesSwap ? shownW : shownH;
    }
  }
  Bitmap32 decoded = DecodeImage(data, bytes.size(), request);
  if (decoded.empty()) throw ImageDecodeError("picture has no pixels: " + path);
  if (orientation != 1) decoded = TurnUpright(decoded, orientation);
  return ComposePhoto(std::move(decoded), uprightW, uprightH, screenWidth, screenHeight, look);
}

}  // namespace tp
