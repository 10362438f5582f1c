#include "presentation/PictureLoading.h"

#include <cctype>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
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

// Hands the rows a decoder has finished to a resampler on another thread.
class RowHandOver {
 public:
  void Publish(int rows) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      rows_ = rows;
    }
    changed_.notify_one();
  }
  // No more rows will come (the decode ended, finished or not).
  void Close() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
    }
    changed_.notify_one();
  }
  bool WaitFor(int rows) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return rows_ >= rows || closed_; });
    return rows_ >= rows;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int rows_ = 0;
  bool closed_ = false;
};

// A JPEG decode with the resampling done beside it on a second thread. Empty when the
// picture needed no resampling (or no thread could be had): the caller then fits
// `decoded` as usual.
std::optional<FittedPicture> DecodeAndResampleBeside(const uint8_t* data, size_t size, JpegDecodeRequest request,
                                                     const FitSettings& fit, Bitmap32& decoded) {
  RowHandOver handOver;
  FittedPicture fitted;
  std::thread resampler;
  bool complete = false;
  request.started = [&](const Bitmap32& out) {
    if (out.empty()) return;
    const FitPlan plan = PlanFit(out.width(), out.height(), fit);
    if (!plan.resample || plan.resampleTo.width <= 0 || plan.resampleTo.height <= 0) return;
    fitted.width = plan.width;
    fitted.height = plan.height;
    fitted.picture.SetSizeUninitialized(plan.resampleTo.width, plan.resampleTo.height);
    try {
      // `out` is the caller's `decoded`, which stays in place until the thread is joined.
      resampler = std::thread([&out, &fitted, &handOver, &complete] {
        complete = StretchLanczos(out, fitted.picture, [&handOver](int rows) { return handOver.WaitFor(rows); });
      });
    } catch (const std::system_error&) {
      // No second thread: resampled after the decode instead.
    }
  };
  request.rowsDecoded = [&](int rows) { handOver.Publish(rows); };
  try {
    DecodeJpeg(data, size, request, decoded);
  } catch (...) {
    handOver.Close();
    if (resampler.joinable()) resampler.join();
    throw;
  }
  handOver.Close();
  if (!resampler.joinable()) return std::nullopt;
  resampler.join();
  if (!complete) return std::nullopt;
  return fitted;
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

FittedPicture PreparePlainPicture(const std::string& path, const FitSettings& fit, const std::atomic<bool>* cancel,
                                  PrepareThreads threads) {
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
    if (threads == PrepareThreads::Two && (fit.directDrawInUse || fit.stretch)) {
      if (std::optional<FittedPicture> fitted = DecodeAndResampleBeside(data, bytes.size(), request, fit, decoded))
        return std::move(*fitted);
    } else {
      decoded = DecodeJpeg(data, bytes.size(), request);
    }
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
