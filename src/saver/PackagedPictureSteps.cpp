#include "saver/PackagedPictureSteps.h"

#include "animation/AnimEngine.h"
#include "animation/AnimImgObject.h"
#include "animation/AnimObjects.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "saver/SoundSchedule.h"

#include <utility>

namespace tp {
namespace {

// The packaged picture loader and the animation engine of one saver run.
class EnginePackagedPictures : public PackagedPictureSteps {
 public:
  explicit EnginePackagedPictures(Clock& clock)
      : loader_(std::make_unique<TProject>()), engine_(std::make_unique<TAnimEngine>(&clock)) {}

  bool LoadAndFit(const std::string& path, PresentationState& state, int speed,
                  const std::string& extractionFolder, std::unique_ptr<TProject> prepared) override {
    if (!FileExists(path) || !loader_ || !engine_) return false;
    try {
      if (prepared) {
        // Read and scaled ahead: the objects are built now, in the order a load on the
        // spot builds them, and the picture replaces the loader's at once, so the engine
        // never points at a freed one.
        prepared->BuildAnimObjects();
        prepared->speed = speed;
        SetPictureSize(*prepared, state);
        PointMissingObjectFilesInto(*prepared, extractionFolder);
        std::swap(loader_, prepared);
        engine_->SetProject(*loader_);
        prepared.reset();  // the previous picture, its objects stopped by SetProject
      } else {
        // A damaged file keeps what was read before the damage (perhaps nothing): the
        // engine then has nothing to draw.
        const FitSettings fit = FitSettingsOf(state);
        loader_->pictureShownSize = [fit](int w, int h) { return PackagedPictureShownSize(w, h, fit); };
        loader_->LoadPackagedPicture(path);
        loader_->speed = speed;
        ScalePackagedPictureForRun(*loader_, fit);
        SetPictureSize(*loader_, state);
        PointMissingObjectFilesInto(*loader_, extractionFolder);
        engine_->SetProject(*loader_);
      }
      engine_->SetWeather(false);
      engine_->Start();
      engine_->SetWeather(loader_->weather.WeatherKind != kWeatherNone);
    } catch (...) {
      // Out of memory on the way (a huge picture): no frame of it, and none of the
      // previous picture either, as the loader has let it go.
      engine_->Stop();
      loader_->Reset();
      return false;
    }
    return true;
  }

  void RenderFrame() override {
    if (engine_) engine_->RenderFrame();
  }

  const Bitmap32* Frame() const override {
    if (!engine_ || !engine_->HasFrame()) return nullptr;
    return &engine_->GetFrame();
  }

  void ResetOutput() override {
    if (engine_) engine_->ResetOutput();
  }

  std::span<const TSoundSlot> SoundSlots() const override {
    if (!loader_ || !loader_->loaded) return {};
    return UsedSoundSlotsOf(*loader_);
  }

  void FreeLoader() override {
    // The objects' threads end with the loader; the engine must not draw them afterwards.
    if (engine_ && engine_->Objects) engine_->Objects->StopAll();
    loader_.reset();
  }

  void FreeEngine() override { engine_.reset(); }

 private:
  // The size centring uses: the screen on the scaled path, else the scaled picture's.
  static void SetPictureSize(const TProject& p, PresentationState& state) {
    state.pictureWidth = p.picture.width();
    state.pictureHeight = p.picture.height();
    if (!p.picture.empty() && state.directDrawInUse) {
      state.pictureWidth = state.screenWidth;
      state.pictureHeight = state.screenHeight;
    }
  }

  std::unique_ptr<TProject> loader_;
  std::unique_ptr<TAnimEngine> engine_;
};

}  // namespace

Size2D PackagedPictureShownSize(int w, int h, const FitSettings& fit) {
  if (w <= 0 || h <= 0) return {};
  if (fit.directDrawInUse) {
    const Size work = WorkingResolution(fit.directXQuality);
    const Size target = fit.proportional ? FitProportional(w, h, work.width, work.height) : work;
    return {target.width, target.height};
  }
  if (!fit.stretch) return {};
  const Size target = fit.proportional ? FitProportional(w, h, fit.screenWidth, fit.screenHeight)
                                       : Size{fit.screenWidth, fit.screenHeight};
  return {target.width, target.height};
}

void ScalePackagedPictureForRun(TProject& p, const FitSettings& fit) {
  if (p.picture.empty()) return;
  if (fit.directDrawInUse) {
    // Proportions from the stored size: the picture may have been decoded smaller.
    const int w = p.pictureWidth > 0 ? p.pictureWidth : p.picture.width();
    const int h = p.pictureHeight > 0 ? p.pictureHeight : p.picture.height();
    const Size work = WorkingResolution(fit.directXQuality);
    const Size target = fit.proportional ? FitProportional(w, h, work.width, work.height) : work;
    TAnimEngine::ResizeProject(false, p, target.width, target.height);
  } else if (fit.stretch) {
    TAnimEngine::ResizeProject(fit.proportional, p, fit.screenWidth, fit.screenHeight);
  }
}

void PointMissingObjectFilesInto(TProject& project, const std::string& folder) {
  if (!project.animObjects || folder.empty()) return;
  TAnimObjects& objects = *project.animObjects;
  for (int i = 0; i < objects.Count(); ++i) {
    TAnimImgObject* image = objects[i].AsImage();
    if (!image || image->Filename.empty() || FileExists(image->Filename)) continue;
    const std::string bare = SafeBareFileName(image->Filename);
    if (bare.empty()) continue;
    const std::string found = FindFileIgnoringCase(folder, bare);
    image->Filename = found.empty() ? JoinPath(folder, bare) : found;
  }
}

std::unique_ptr<PackagedPictureSteps> CreatePackagedPictureSteps(Clock& clock) {
  return std::make_unique<EnginePackagedPictures>(clock);
}

}  // namespace tp
