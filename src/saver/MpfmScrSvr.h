#pragma once
// The saver window of a full-screen run: owns everything the run uses, shows the
// slideshow through its idle steps and ends the run on user input.
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "imaging/Bitmap32.h"
#include "platform/Display.h"
#include "platform/Input.h"
#include "presentation/PacedDisplay.h"
#include "presentation/PresentationState.h"
#include "saver/RunSettings.h"
#include "saver/SoundSchedule.h"

namespace tp {

class Platform;
class PackagedPictureSteps;
class TSaverMusic;
class TSoundEffect;
class TPicturePreparer;

class TMpfmScrSvr : public InputHandler {
 public:
  static constexpr const char* kEmptyListMessage = "Unable to run screensaver.\r\nPlease configure!";

  // The project is not owned and must outlive the window.
  TMpfmScrSvr(const SaverProject& project, Platform& platform, DisplayOptions options = {});
  ~TMpfmScrSvr() override;
  TMpfmScrSvr(const TMpfmScrSvr&) = delete;
  TMpfmScrSvr& operator=(const TMpfmScrSvr&) = delete;

  // Shows the window modally: FormShow, then idle steps with the close requests checked
  // after each one, until FormCloseQuery allows the close; then FormClose and the window
  // is hidden.
  void ShowModal();

  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void FormMouseMove(int x, int y);
  void FormMouseDown(MouseButton button);
  void FormKeyDown(int virtualKey);
  void FormKeyPress(char32_t ch);

  // One step of the slideshow loop; errors inside it are dropped.
  void IdleStep();
  void ChangePicture();
  // Classifies, loads and fits the picture; throws when a plain picture cannot be decoded.
  // At a change (atChange) a picture prepared ahead is swapped in when there is one.
  void LoadAndFitPicture(const std::string& path, bool atChange = false);

  // Whether the next picture is prepared ahead on a worker thread (on by default); set
  // before ShowModal. The frames are the same either way.
  void SetPrepareAhead(bool on) { prepareAhead_ = on; }

  // Marks the window for closing; the modal loop checks it after the running step.
  void RequestClose(const char* reason);

  // InputHandler
  void OnMouseMove(int x, int y) override { FormMouseMove(x, y); }
  void OnMouseDown(MouseButton button) override { FormMouseDown(button); }
  void OnKeyDown(int virtualKey) override { FormKeyDown(virtualKey); }
  void OnKeyPress(char32_t ch) override { FormKeyPress(ch); }
  void OnCloseRequest() override { RequestClose("system"); }

  // Observers for tests.
  const TRunSettings& runSettings() const { return settings_; }
  const std::vector<std::string>& pictureList() const { return pictureList_; }
  int currentIndex() const { return currentIndex_; }
  const std::string& chosenFile() const { return chosenFile_; }
  const PresentationState& presentation() const { return state_; }
  bool directDrawActive() const { return state_.directDrawInUse; }
  bool idleInstalled() const { return idleInstalled_; }
  bool closeRequested() const { return closeRequested_; }
  // The backend's display (its presents are paced through display_).
  Display* display() const { return display_ ? &display_->screen() : nullptr; }
  const TPicturePreparer* preparer() const { return preparer_.get(); }
  bool HasFailed(const std::string& path) const { return failedFiles_.count(path) != 0; }

 private:
  // Call sites of the music and sound-effect steps.
  void StartMusic();
  void StopSounds();
  void SetUpSounds();
  void RunSoundSchedule();
  // The change of picture on screen: a transition when on, else a black clear.
  void ShowChangedPicture();
  int DisplayTimeSetting() const;
  // Guesses the next picture from a copy of the random generator and has it prepared.
  void UpdatePrediction();

  const SaverProject& project_;
  Platform& platform_;
  DisplayOptions options_;
  std::unique_ptr<PacedDisplay> display_;

  TRunSettings settings_;
  PresentationState state_;
  std::vector<int> allowedEffects_;
  Bitmap32 oldPicture_, newPicture_, work_;

  std::vector<std::string> pictureList_;
  int currentIndex_ = -1;
  std::string chosenFile_;
  int displayTime_ = 0;
  uint32_t pictureStartTime_ = 0;
  bool changeDue_ = false;  // the first picture failed: choose again at the next step

  // Preparing ahead: the worker, the state the last guess was made from, and how many
  // guesses were started for the picture on screen (a generator that keeps moving must
  // not keep the worker busy).
  bool prepareAhead_ = true;
  std::unique_ptr<TPicturePreparer> preparer_;
  bool predicted_ = false;
  uint32_t predictedSeed_ = 0;
  int predictedFrom_ = 0;
  int preparationsStarted_ = 0;
  // Files that failed to load in this run: chosen again, they fail at once unread.
  std::unordered_set<std::string> failedFiles_;

  std::unique_ptr<PackagedPictureSteps> packaged_;
  std::unique_ptr<TSoundEffect> soundEffect_;
  TSoundSchedule soundSchedule_;
  std::unique_ptr<TSaverMusic> music_;

  bool idleInstalled_ = false;
  bool closeRequested_ = false;
  bool shown_ = false;
};

}  // namespace tp
