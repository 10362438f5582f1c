#include "saver/PackagedPictureSteps.h"

#include "animation/AnimEngine.h"
#include "animation/AnimImgObject.h"
#include "animation/AnimObjects.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "saver/SoundSchedule.h"

namespace tp {
namespace {

// The packaged picture loader and the animation engine of one saver run.
class EnginePackagedPictures : public PackagedPictureSteps {
 public:
  explicit EnginePackagedPictures(Clock& clock)
      : loader_(std::make_unique<TProject>()), engine_(std::make_unique<TAnimEngine>(&clock)) {}

  bool LoadAndFit(const std::string& path, PresentationState& state, int speed,
                  const std::string& extractionFolder) override {
    if (!FileExists(path) || !loader_ || !engine_) return false;
    // A failed load leaves the loader empty: the engine then has nothing to draw.
    loader_->LoadPackagedPicture(path);
    loader_->speed = speed;
    Fit(state);
    PointMissingObjectFilesInto(*loader_, extractionFolder);
    engine_->SetProject(*loader_);
    engine_->SetWeather(false);
    engine_->Start();
    engine_->SetWeather(loader_->weather.WeatherKind != kWeatherNone);
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
  // The scaled path works at the quality's resolution; a stretched window show scales to
  // the screen; otherwise the picture keeps its own size.
  void Fit(PresentationState& state) {
    TProject& p = *loader_;
    state.pictureWidth = p.picture.width();
    state.pictureHeight = p.picture.height();
    if (p.picture.empty()) return;
    if (state.directDrawInUse) {
      state.pictureWidth = state.screenWidth;
      state.pictureHeight = state.screenHeight;
      const Size work = WorkingResolution(state.directXQuality);
      const Size target = state.proportional
                              ? FitProportional(p.picture.width(), p.picture.height(), work.width, work.height)
                              : work;
      TAnimEngine::ResizeProject(false, p, target.width, target.height);
    } else if (state.stretch) {
      TAnimEngine::ResizeProject(state.proportional, p, state.screenWidth, state.screenHeight);
      state.pictureWidth = p.picture.width();
      state.pictureHeight = p.picture.height();
    }
  }

  std::unique_ptr<TProject> loader_;
  std::unique_ptr<TAnimEngine> engine_;
};

}  // namespace

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
