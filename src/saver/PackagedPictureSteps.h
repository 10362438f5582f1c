#pragma once
// The saver run's packaged-picture steps: the loader (TProject) and the animation engine,
// as the sequencer and the frame drawing call them.
#include <memory>
#include <span>
#include <string>

#include "imaging/Bitmap32.h"
#include "presentation/PictureLoading.h"
#include "presentation/PresentationState.h"
#include "project/PackagedPicture.h"

namespace tp {

class Clock;

class PackagedPictureSteps {
 public:
  virtual ~PackagedPictureSteps() = default;

  // Loads the packaged picture at path (only when the file exists), gives it the run's
  // speed, fits it for the run (scaling it to the screen or the working resolution, which
  // sets the picture size in state) and hands it to the engine with its objects started
  // and its weather set. False when nothing was loaded: the file is missing, or something
  // failed on the way (memory for a huge picture), which leaves the loader empty and the
  // engine stopped with no frame.
  // A picture prepared ahead (read without its objects and scaled by
  // ScalePackagedPictureForRun) is taken instead of reading the file again; its objects
  // are built here.
  virtual bool LoadAndFit(const std::string& path, PresentationState& state, int speed,
                          const std::string& extractionFolder, std::unique_ptr<TProject> prepared = nullptr) = 0;
  // Advances the engine by one frame.
  virtual void RenderFrame() = 0;
  // The engine's composed frame; nullptr while the engine has never received a picture.
  virtual const Bitmap32* Frame() const = 0;
  // Rebuilds the engine's water frame from the current packaged picture (F1).
  virtual void ResetOutput() = 0;
  // The sound slots in use by the picture loaded last (empty when none).
  virtual std::span<const TSoundSlot> SoundSlots() const = 0;
  // Tear-down, in the window's close order: the loader first (it owns the object
  // threads), the engine later.
  virtual void FreeLoader() = 0;
  virtual void FreeEngine() = 0;
};

// Object pictures that do not exist where the description says are looked for in folder
// (the extraction folder, where the project's files were unpacked).
void PointMissingObjectFilesInto(TProject& project, const std::string& folder);

// Scales a loaded packaged picture for the run: to the working resolution on the scaled
// path, to the screen when stretched, not at all otherwise. Touches nothing else, so it
// may run on the worker that prepares pictures ahead.
void ScalePackagedPictureForRun(TProject& project, const FitSettings& fit);
// The size ScalePackagedPictureForRun scales a picture stored at w x h to (0 x 0 when it
// keeps its own size): what its picture block needs to be decoded at, at least.
Size2D PackagedPictureShownSize(int w, int h, const FitSettings& fit);

// The loader and the animation engine, timed by clock.
std::unique_ptr<PackagedPictureSteps> CreatePackagedPictureSteps(Clock& clock);

}  // namespace tp
