#include "presentation/PictureLoading.h"

#include <cctype>
#include <utility>

#include "imaging/ImageLoader.h"
#include "imaging/Resample.h"

namespace tp {

bool IsPlainPicturePath(std::string_view path) {
  // The extension is what follows the last dot of the last path component.
  size_t slash = path.find_last_of("/\\");
  size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return false;
  std::string ext(path.substr(dot));
  for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
  return ext == ".JPG" || ext == ".BMP" || ext == ".GIF";
}

void FitPlainPicture(Bitmap32 decoded, PresentationState& state) {
  Bitmap32 fitted;
  int width = decoded.width(), height = decoded.height();
  if (state.directDrawInUse) {
    // The scaled path always fills its working resolution, whatever the size mode.
    const Size work = WorkingResolution(state.directXQuality);
    width = state.screenWidth;
    height = state.screenHeight;
    fitted.SetSizeUninitialized(work.width, work.height);  // every pixel is written
    StretchLanczos(decoded, fitted);
  } else if (state.stretch) {
    Size target{state.screenWidth, state.screenHeight};
    if (state.proportional) target = FitProportional(decoded.width(), decoded.height(), target.width, target.height);
    width = target.width;
    height = target.height;
    if (target.width == decoded.width() && target.height == decoded.height()) {
      fitted = std::move(decoded);  // already the right size: resampling would only blur it
    } else {
      fitted.SetSizeUninitialized(target.width, target.height);
      StretchLanczos(decoded, fitted);
    }
  } else {
    fitted = std::move(decoded);
  }
  state.fittedPicture = std::move(fitted);
  state.pictureWidth = width;
  state.pictureHeight = height;
}

void LoadAndFitPlainPicture(const std::string& path, PresentationState& state) {
  Bitmap32 decoded = LoadImageFile(path);
  if (decoded.empty()) throw ImageDecodeError("picture has no pixels: " + path);
  FitPlainPicture(std::move(decoded), state);
}

}  // namespace tp
