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

FitSettings FitSettingsOf(const PresentationState& state) {
  return FitSettings{state.screenWidth,     state.screenHeight,    state.stretch,
                     state.proportional,    state.directDrawInUse, state.directXQuality};
}

namespace {

// The size a picture of w x h is resampled to, or 0 x 0 when it keeps its own size.
Size FitTarget(int w, int h, const FitSettings& fit) {
  if (fit.directDrawInUse) return WorkingResolution(fit.directXQuality);
  if (!fit.stretch) return {};
  if (fit.proportional) return FitProportional(w, h, fit.screenWidth, fit.screenHeight);
  return {fit.screenWidth, fit.screenHeight};
}

}  // namespace

FittedPicture FitDecodedPicture(Bitmap32 decoded, const FitSettings& fit) {
  FittedPicture result;
  const Size target = FitTarget(decoded.width(), decoded.height(), fit);
  if (fit.directDrawInUse) {
    // The scaled path always fills its working resolution, whatever the size mode.
    result.width = fit.screenWidth;
    result.height = fit.screenHeight;
  } else {
    result.width = fit.stretch ? target.width : decoded.width();
    result.height = fit.stretch ? target.height : decoded.height();
  }
  if (!fit.directDrawInUse && (!fit.stretch || (target.width == decoded.width() && target.height == decoded.height()))) {
    result.picture = std::move(decoded);  // already the right size: resampling would only blur it
  } else {
    result.picture.SetSizeUninitialized(target.width, target.height);  // every pixel is written
    StretchLanczos(decoded, result.picture);
  }
  return result;
}

FittedPicture PreparePlainPicture(const std::string& path, const FitSettings& fit, const std::atomic<bool>* cancel) {
  const std::string bytes = ReadWholeFile(path);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  Bitmap32 decoded;
  if (SniffImageFormat(data, bytes.size()) == ImageFormat::Jpeg) {
    const Size2D full = ReadJpegSize(data, bytes.size());
    JpegDecodeRequest request;
    request.cancel = cancel;
    if (fit.directDrawInUse || fit.stretch) {
      const Size target = FitTarget(full.width, full.height, fit);
      request.minWidth = target.width;
      request.minHeight = target.height;
    } else {
      request.cropWidth = fit.screenWidth;
      request.cropHeight = fit.screenHeight;
    }
    decoded = DecodeJpeg(data, bytes.size(), request);
  } else {
    decoded = DecodeImage(data, bytes.size(), path);
  }
  if (decoded.empty()) throw ImageDecodeError("picture has no pixels: " + path);
  return FitDecodedPicture(std::move(decoded), fit);
}

void ApplyFittedPicture(FittedPicture&& fitted, PresentationState& state) {
  state.fittedPicture = std::move(fitted.picture);
  state.pictureWidth = fitted.width;
  state.pictureHeight = fitted.height;
}

void FitPlainPicture(Bitmap32 decoded, PresentationState& state) {
  ApplyFittedPicture(FitDecodedPicture(std::move(decoded), FitSettingsOf(state)), state);
}

void LoadAndFitPlainPicture(const std::string& path, PresentationState& state) {
  ApplyFittedPicture(PreparePlainPicture(path, FitSettingsOf(state)), state);
}

}  // namespace tp
