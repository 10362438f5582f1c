#include "presentation/PictureLoading.h"

#include <cctype>
#include <utility>

#include "imaging/import/ImageLoader.h"
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

namespace {

// Where a decoded picture of w x h goes: the size centring uses and, when it has to be
// resampled, the size it is resampled to (0 x 0 when it is kept as it is).
struct FitPlan {
  int width = 0;
  int height = 0;
  bool resample = false;
  Size resampleTo;
};

FitPlan PlanFit(int w, int h, const FitSettings& fit) {
  FitPlan plan;
  const Size target = FitTarget(w, h, fit);
  if (fit.directDrawInUse) {
    // The scaled path always fills its working resolution, whatever the size mode.
    plan.width = fit.screenWidth;
    plan.height = fit.screenHeight;
  } else {
    plan.width = fit.stretch ? target.width : w;
    plan.height = fit.stretch ? target.height : h;
  }
  // Already the right size: resampling would only blur it.
  plan.resample = fit.directDrawInUse || (fit.stretch && (target.width != w || target.height != h));
  if (plan.resample) plan.resampleTo = target;
  return plan;
}

}  // namespace

FittedPicture FitDecodedPicture(Bitmap32 decoded, const FitSettings& fit) {
  FittedPicture result;
  const FitPlan plan = PlanFit(decoded.width(), decoded.height(), fit);
  result.width = plan.width;
  result.height = plan.height;
  if (!plan.resample) {
    result.picture = std::move(decoded);
  } else {
    result.picture.SetSizeUninitialized(plan.resampleTo.width, plan.resampleTo.height);  // every pixel is written
    StretchLanczos(decoded, result.picture);
  }
  return result;
}

FittedPicture PreparePlainPicture(const std::string& path, const FitSettings& fit, const std::atomic<bool>* cancel) {
  const std::string bytes = ReadPictureFile(path);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  Bitmap32 decoded;
  if (SniffImageFormat(data, bytes.size()) == ImageFormat::Jpeg) {
    const Size2D full = ReadJpegSize(data, bytes.size());
    DecodeRequest request;
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
    decoded = DecodeImage(data, bytes.size());
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
