#include "photoshow/PhotoPreparation.h"

#include <algorithm>
#include <utility>

#include "imaging/TurnUpright.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

struct Decoded {
  Bitmap32 upright;
  int width = 0, height = 0;  // the file's own size, upright
};

// Reads and decodes the file, turned upright, at least as large as the upright picture
// scaled by scaleFor(uprightWidth, uprightHeight) (1 or more: its own size). A JPEG is then
// decoded at the smallest DCT scale that still covers it.
template <class ScaleFor>
Decoded DecodeUpright(const std::string& path, ScaleFor scaleFor, const std::atomic<bool>* cancel) {
  const std::string bytes = ReadPictureFile(path);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const PictureFacts facts = ReadPictureFacts(data, bytes.size());
  const int orientation = (facts.orientation >= 1 && facts.orientation <= 8) ? facts.orientation : 1;
  const bool sidesSwap = orientation >= 5;

  DecodeRequest request;
  request.cancel = cancel;
  request.toSrgb = true;
  Decoded d;
  d.width = sidesSwap ? facts.height : facts.width;
  d.height = sidesSwap ? facts.width : facts.height;
  if (facts.width > 0 && facts.height > 0) {
    const double scale = scaleFor(d.width, d.height);
    if (scale < 1.0) {
      // In the stored picture's directions.
      const int shownW = std::max(1, int(d.width * scale + 0.999));
      const int shownH = std::max(1, int(d.height * scale + 0.999));
      request.minWidth = sidesSwap ? shownH : shownW;
      request.minHeight = sidesSwap ? shownW : shownH;
    }
  }
  Bitmap32 decoded = DecodeImage(data, bytes.size(), request);
  if (decoded.empty()) throw ImageDecodeError("picture has no pixels: " + path);
  d.upright = orientation != 1 ? TurnUpright(decoded, orientation) : std::move(decoded);
  return d;
}

}  // namespace

ComposedPhoto PreparePhoto(const std::string& path, int screenWidth, int screenHeight, const PhotoLook& look,
                           const std::atomic<bool>* cancel) {
  // The size the picture is shown at (fitted, or covering the screen when cropped).
  Decoded d = DecodeUpright(
      path,
      [&](int w, int h) {
        if (screenWidth <= 0 || screenHeight <= 0) return 1.0;
        const double fitW = double(screenWidth) / w, fitH = double(screenHeight) / h;
        const bool cropped = FillFor(w, h, screenWidth, screenHeight, look) == PhotoFill::Crop;
        return cropped ? std::max(fitW, fitH) : std::min(fitW, fitH);
      },
      cancel);
  return ComposePhoto(std::move(d.upright), d.width, d.height, screenWidth, screenHeight, look);
}

MovingPhoto PrepareMovingPhoto(const std::string& path, int screenWidth, int screenHeight, const PhotoLook& look,
                               const std::atomic<bool>* cancel) {
  // The size the closest view of its path shows it at.
  Decoded d = DecodeUpright(
      path, [&](int w, int h) { return LargestMotionScale(w, h, screenWidth, screenHeight, look); }, cancel);
  return ComposeMoving(std::move(d.upright), d.width, d.height, screenWidth, screenHeight, look);
}

}  // namespace tp
