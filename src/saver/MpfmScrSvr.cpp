#include "saver/MpfmScrSvr.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/ProgramRandom.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"
#include "imaging/ImageError.h"
#include "platform/TerminationSignals.h"
#include "presentation/FramePresenter.h"
#include "presentation/PictureLoading.h"
#include "presentation/PicturePreparer.h"
#include "presentation/TransitionDriver.h"
#include "saver/Music.h"
#include "saver/PackagedPictureSteps.h"
#include "saver/SaverInput.h"
#include "saver/Sequencer.h"
#include "saver/SoundEffect.h"

namespace tp {

TMpfmScrSvr::TMpfmScrSvr(const SaverProject& project, Platform& platform, DisplayOptions options)
    : project_(project), platform_(platform), options_(options) {
  FormCreate();
}

TMpfmScrSvr::~TMpfmScrSvr() {
  preparer_.reset();  // joins the worker before anything it reads goes
  // The music plays until the window goes.
  if (music_) music_->Stop();
  music_.reset();
  display_.reset();
}

void TMpfmScrSvr::FormCreate() {
  settings_.speed = 100;
  settings_.proportional = true;
  music_ = std::make_unique<TSaverMusic>(platform_.audio());
}

int TMpfmScrSvr::DisplayTimeSetting() const {
  // A negative duration means "change at every step", the same as 0.
  return std::max(settings_.displayTime, 0);
}

void TMpfmScrSvr::ShowModal() {
  display_ = OpenPacedDisplay(platform_, options_, this);
  FormShow();
  for (;;) {
    platform_.runLoop().PumpMessages();
    // A termination signal (or a lost display) ends the run as a close request does.
    if (TerminationRequested()) RequestClose("signal");
    if (!closeRequested_) {
      if (idleInstalled_) {
        IdleStep();
      } else {
        // Nothing to show: wait for input, still at the frame period, never spinning.
        platform_.runLoop().WaitMessage();
        PaceFrame(platform_.clock(), state_);
      }
    }
    if (closeRequested_) {
      closeRequested_ = false;  // several requests before this check count as one
      if (FormCloseQuery()) {
        FormClose();
        break;
      }
    }
  }
  display_.reset();
}

void TMpfmScrSvr::FormShow() {
  Clock& clock = platform_.clock();
  SaverInputState& input = ProcessInputState();

  // 1. Effect list, sound-effect player, transition buffers, empty fitted picture.
  allowedEffects_ = ParseTransitionEffects(project_.settings.transitionEffects);
  soundEffect_ = std::make_unique<TSoundEffect>(platform_.audio());
  // Every transition writes them whole before reading them, so they need no clearing.
  oldPicture_.SetSizeUninitialized(800, 600);
  newPicture_.SetSizeUninitialized(800, 600);
  work_.SetSizeUninitialized(800, 600);
  state_.fittedPicture.SetSize(0, 0);

  // 2. Input state and the random generator.
  input.f1Toggle = false;
  ProgramRandom::SetSeed(clock.Tick());
  input.lastX = -1;
  input.lastY = -1;

  // 3. The pictures of this run.
  pictureList_ = BuildPictureList(project_.pictures, project_.selected);

  // 4. The drawing path, fixed for the whole run.
  state_.screenWidth = display_->ScreenWidth();
  state_.screenHeight = display_->ScreenHeight();
  state_.directDrawInUse = false;
  if (project_.settings.directX) {
    try {
      state_.directDrawInUse =
          display_->InitScaled(state_.screenWidth, state_.screenHeight, platform_.DesktopBitDepth());
    } catch (const std::exception&) {
      state_.directDrawInUse = false;
    }
  }
  LogEvent("drawing-path", state_.directDrawInUse ? "scaled" : "window");

  // 5. Run settings and the first choice, or the message for an empty list.
  if (!pictureList_.empty()) {
    settings_ = project_.settings;
    state_.stretch = settings_.stretch;
    state_.proportional = settings_.proportional;
    state_.directXQuality = settings_.directXQuality;
    currentIndex_ = -1;
    currentIndex_ = ChooseNextPicture(currentIndex_, int(pictureList_.size()), settings_.orderMode);
    chosenFile_ = pictureList_[size_t(currentIndex_)];
  } else {
    platform_.messageBoxes().Show(MessageKind::Error, kEmptyListMessage);
  }

  // 6. Music, also behind an empty show.
  if (project_.settings.music && !project_.settings.musicFile.empty()) StartMusic();

  // 7. The first picture and the idle steps.
  if (!pictureList_.empty()) {
    packaged_ = CreatePackagedPictureSteps(clock);
    displayTime_ = DisplayTimeSetting();
    try {
      LoadAndFitPicture(chosenFile_);
    } catch (const std::exception&) {
      changeDue_ = true;  // a broken first picture: the first idle step chooses again
    }
    pictureStartTime_ = clock.Tick();
    idleInstalled_ = true;
    display_->ShowCursor(false);
    if (prepareAhead_ && pictureList_.size() > 1) {
      preparer_ = std::make_unique<TPicturePreparer>(
          [fit = FitSettingsOf(state_)](const std::string& path, const std::atomic<bool>& cancel) {
            PreparedPicture prepared;
            if (IsPlainPicturePath(path)) {
              prepared.plain = PreparePlainPicture(path, fit, &cancel);
            } else {
              // Picture and mask are read and scaled here; objects, weather and sounds
              // are set up at the change.
              prepared.packaged = std::make_unique<TProject>();
              prepared.packaged->pictureShownSize = [fit](int w, int h) { return PackagedPictureShownSize(w, h, fit); };
              prepared.packaged->ReadPackagedPictureWithoutObjects(path);
              ScalePackagedPictureForRun(*prepared.packaged, fit);
            }
            return prepared;
          });
    }
  }

  // 8. Frame pacing starts now.
  state_.lastFrameTick = clock.Tick();
  shown_ = true;
}

bool TMpfmScrSvr::FormCloseQuery() {
  ProcessInputState().graceCount = SaverInputState::kGraceCount;
  // There is no screensaver password on this platform: the close is always allowed.
  LogEvent("close-query", "allowed");
  return true;
}

void TMpfmScrSvr::FormClose() {
  // The worker preparing the next picture stops before anything is freed.
  if (preparer_) preparer_->Stop();
  // 1. The loader first: it owns the animation objects and their threads.
  if (packaged_) packaged_->FreeLoader();
  // 2. The cursor comes back.
  if (display_) display_->ShowCursor(true);
  // 3. The simple wave player.
  if (soundEffect_) soundEffect_->StopWavePlayer();
  // 4. No more idle steps.
  idleInstalled_ = false;
  // 5. Engine, picture list, fitted picture, buffers.
  if (packaged_) packaged_->FreeEngine();
  pictureList_.clear();
  state_.fittedPicture.SetSize(0, 0);
  oldPicture_.SetSize(0, 0);
  newPicture_.SetSize(0, 0);
  work_.SetSize(0, 0);
  // 6. Sound effects.
  StopSounds();
  // 7. The effect list.
  allowedEffects_.clear();
  packaged_.reset();
  preparer_.reset();
}

void TMpfmScrSvr::RequestClose(const char* reason) {
  if (closeRequested_) return;
  closeRequested_ = true;
  LogEvent("close-request", reason);
}

void TMpfmScrSvr::FormMouseMove(int x, int y) {
  if (MouseMoveEndsRun(ProcessInputState(), x, y)) RequestClose("mouse-move");
}

void TMpfmScrSvr::FormMouseDown(MouseButton) { RequestClose("mouse-down"); }

void TMpfmScrSvr::FormKeyDown(int virtualKey) {
  if (virtualKey != kVkF1) return;
  if (F1ReturnsToOff(ProcessInputState())) {
    LogEvent("reset-output");
    if (packaged_) packaged_->ResetOutput();
  }
}

void TMpfmScrSvr::FormKeyPress(char32_t) { RequestClose("key"); }

void TMpfmScrSvr::IdleStep() {
  Clock& clock = platform_.clock();
  try {
    if (settings_.sound) {
      RunSoundSchedule();
      UpdatePrediction();  // the sounds may have drawn from the generator
    }
    if (changeDue_ || settings_.advance) {
      const uint32_t seconds = (clock.Tick() - pictureStartTime_) / 1000u;
      if (changeDue_ || int64_t(seconds) >= int64_t(displayTime_)) ChangePicture();
    }
    if (!state_.plainPicture) packaged_->RenderFrame();
    DrawCurrentFrame(*display_, clock, state_, state_.plainPicture ? nullptr : packaged_->Frame());
    // Guessed once the frame is out, so preparing never delays it.
    UpdatePrediction();
  } catch (...) {
    // The step is dropped; the next one goes on. It still takes a frame period, so a list
    // of broken pictures cannot spin the processor.
    PaceFrame(clock, state_);
  }
}

void TMpfmScrSvr::ChangePicture() {
  displayTime_ = DisplayTimeSetting();
  currentIndex_ = ChooseNextPicture(currentIndex_, int(pictureList_.size()), settings_.orderMode);
  chosenFile_ = pictureList_[size_t(currentIndex_)];
  preparationsStarted_ = 0;
  if (chosenFile_ != state_.shownFilePath) {
    LoadAndFitPicture(chosenFile_, true);
    ShowChangedPicture();
  } else if (state_.plainPicture != IsPlainPicturePath(chosenFile_)) {
    // Back at the picture on screen after a missing packaged picture had switched the
    // kind: show this picture again rather than an empty engine frame.
    state_.plainPicture = IsPlainPicturePath(chosenFile_);
    state_.frameOnScreen = false;
  }
  pictureStartTime_ = platform_.clock().Tick();
  changeDue_ = false;
}

void TMpfmScrSvr::UpdatePrediction() {
  if (!preparer_ || !settings_.advance || pictureList_.empty()) return;
  // The guess only changes when the generator or the current index has moved.
  const uint32_t seed = ProgramRandom::Seed();
  if (predicted_ && seed == predictedSeed_ && currentIndex_ == predictedFrom_) return;
  predicted_ = true;
  predictedSeed_ = seed;
  predictedFrom_ = currentIndex_;
  const int next = PredictNextPicture(seed, currentIndex_, int(pictureList_.size()), settings_.orderMode);
  const std::string& path = pictureList_[size_t(next)];
  if (path == state_.shownFilePath || failedFiles_.count(path)) return;
  if (preparer_->Path() == path) return;
  constexpr int kMaxPreparationsPerPicture = 4;
  if (preparationsStarted_ >= kMaxPreparationsPerPicture) return;
  ++preparationsStarted_;
  preparer_->Start(path);
}

void TMpfmScrSvr::LoadAndFitPicture(const std::string& path, bool atChange) {
  state_.plainPicture = IsPlainPicturePath(path);
  if (state_.plainPicture) {
    // A picture that failed before fails again without being read.
    if (failedFiles_.count(path)) throw ImageDecodeError("picture failed to load before: " + path);
    FittedPicture fitted;
    try {
      std::optional<PreparedPicture> prepared;
      if (atChange && preparer_) prepared = preparer_->Take(path);
      if (atChange) LogEvent(prepared ? "prepared" : "prepared-miss", path);
      fitted = prepared ? std::move(prepared->plain) : PreparePlainPicture(path, FitSettingsOf(state_));
    } catch (...) {
      failedFiles_.insert(path);
      throw;
    }
    ApplyFittedPicture(std::move(fitted), state_);
    state_.frameOnScreen = false;
    StopSounds();
    state_.shownFilePath = path;
    LogEvent("load", path);
    return;
  }
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return;  // a missing packaged picture is skipped
  std::unique_ptr<TProject> ahead;
  if (atChange) {
    std::optional<PreparedPicture> prepared;
    if (preparer_) prepared = preparer_->Take(path);
    if (prepared) ahead = std::move(prepared->packaged);
    LogEvent(ahead ? "prepared" : "prepared-miss", path);
  }
  if (!packaged_->LoadAndFit(path, state_, settings_.speed, project_.extractionFolder, std::move(ahead))) return;
  if (settings_.sound) {
    StopSounds();
    SetUpSounds();
    RunSoundSchedule();
  }
  state_.shownFilePath = path;
  LogEvent("load", path);
}

void TMpfmScrSvr::ShowChangedPicture() {
  state_.frameOnScreen = false;
  if (!settings_.transition) {
    // Without a transition the screen is cleared and the next step draws the new picture.
    display_->FillBlack();
    return;
  }
  if (!state_.plainPicture && !packaged_->Frame()) {
    // A packaged picture that is missing and none loaded before: nothing to uncover.
    display_->FillBlack();
    state_.frameOnScreen = true;
    return;
  }
  TransitionContext context;
  context.display = display_.get();
  context.runLoop = &platform_.runLoop();
  context.clock = &platform_.clock();
  context.oldPicture = &oldPicture_;
  context.newPicture = &newPicture_;
  context.work = &work_;
  context.plainPicture = state_.plainPicture;
  context.fittedPicture = &state_.fittedPicture;
  if (!state_.plainPicture) {
    context.advanceEngine = [this]() -> const Bitmap32& {
      packaged_->RenderFrame();
      const Bitmap32* frame = packaged_->Frame();
      if (!frame) throw std::runtime_error("the animation engine has no frame");
      return *frame;
    };
  }
  context.stretch = state_.stretch;
  context.proportional = state_.proportional;
  context.directDrawInUse = state_.directDrawInUse;
  context.allowedEffects = &allowedEffects_;
  RunTransition(context, settings_.transitionTime);
}

void TMpfmScrSvr::StartMusic() {
  music_->Start(project_.settings.musicFile, project_.settings.musicMode, project_.extractionFolder);
}

void TMpfmScrSvr::StopSounds() {
  if (!soundEffect_) return;
  soundEffect_->StopAll();
  soundEffect_->Clear();
}

void TMpfmScrSvr::SetUpSounds() {
  SoundFolders folders{project_.extractionFolder, project_.commonFolder, project_.programFolder};
  soundSchedule_.SetUpSounds(packaged_->SoundSlots(), *soundEffect_, folders, platform_.clock().Tick());
}

void TMpfmScrSvr::RunSoundSchedule() {
  if (!packaged_ || !soundEffect_) return;
  soundSchedule_.RunSoundSchedule(packaged_->SoundSlots(), *soundEffect_, platform_.clock(), platform_.runLoop());
}

}  // namespace tp
