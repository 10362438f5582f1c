#pragma once
// The window of a folder show: the photos the deck deals, each composed for the screen
// (fitted with its fill, or cropped), moving over its time when motion is on, and changed
// after its duration through the chosen transitions, the next one prepared ahead; with
// captions, the picture's date (and folder) in a lower corner of every frame of it; on a
// landscape screen two portrait pictures that come next side by side; the
// saver's input and close rules, music, signals and host windows as they are.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "library/PictureLibrary.h"
#include "photoshow/MovingPhoto.h"
#include "photoshow/PhotoComposition.h"
#include "photoshow/PhotoMotion.h"
#include "photoshow/PhotoSettings.h"
#include "platform/Display.h"
#include "platform/Input.h"
#include "presentation/PictureLoading.h"
#include "presentation/PicturePreparer.h"
#include "presentation/PresentationState.h"

namespace tp {

class Platform;
class TextRenderer;
class TPicturePreparer;
class TSaverMusic;

class TPhotoShow : public InputHandler {
 public:
  // A decode still running this long after it began is abandoned.
  static constexpr int kDecodeBudgetMs = 15000;

  TPhotoShow(PhotoSettings settings, LibraryOptions library, Platform& platform, DisplayOptions options = {});
  ~TPhotoShow() override;
  TPhotoShow(const TPhotoShow&) = delete;
  TPhotoShow& operator=(const TPhotoShow&) = delete;

  // Opens the window and runs the show until a close request is allowed.
  void ShowModal();

  // InputHandler: the saver's rules.
  void OnMouseMove(int x, int y) override;
  void OnMouseDown(MouseButton button) override;
  void OnKeyDown(int) override {}
  void OnKeyPress(char32_t) override;
  void OnCloseRequest() override;

 private:
  void Start();
  void Finish();
  void RequestClose(const char* reason);
  void IdleStep();
  // The first picture: whatever the index or the scan has first; false while none is known.
  bool ShowFirstPicture();
  void ChangePicture();
  // Reserves the picture after the one on screen and has the preparer start on it.
  void PrepareNext();
  // With pairs, a portrait next_ gets the deck's following picture: its partner when that
  // is a portrait too, else held_ for the change after.
  void PairNext();
  // The preparer's job for next_ (and its partner).
  std::string NextJob() const;
  // Skips the pictures of next_ and its partner that the prepared picture could not show;
  // next_ is then the first one shown (empty when none is).
  void DropFailures(const PreparedPicture& prepared);
  // The frame log's lines of the picture on screen: one per picture in it.
  void NoteViews(const PictureView& view, const std::optional<PictureView>& partner);
  // The next reserved picture, prepared; throws (the picture skipped) when it fails or its
  // decode outlasts the budget.
  PreparedPicture TakeNext();
  // Makes a prepared picture the one on screen (not yet drawn): a moving one gets its path
  // and its first view drawn; its caption (a pair's two) is made and drawn in.
  void ApplyPrepared(PreparedPicture&& prepared, const LibraryPicture& picture,
                     const LibraryPicture* partner = nullptr);
  // The caption of the picture on screen, drawn once into caption_ (empty without one);
  // with a pair, the right picture's into partnerCaption_.
  void MakeCaption(const LibraryPicture& picture, const LibraryPicture* partner);
  // Blends the caption over the picture's frame in state_.fittedPicture.
  void DrawCaption();
  // Blends a caption over a screen-sized frame in its corner.
  void BlendCaptionOn(const Bitmap32& caption, Bitmap32& frame) const;
  // The event of the caption of the picture just loaded.
  void LogCaption() const;
  // Where a caption goes on a screen-sized frame: its lower left corner.
  Point CaptionAt(const Bitmap32& caption) const;
  // A moving picture's view for now, drawn when it differs from the one on screen; true
  // when the display drew and presented it itself (on the GPU).
  bool MoveCurrent();
  // The picture on screen stays for another duration (moving back along its path).
  void StayLonger();
  // Whether a moving picture keeps moving through its transitions: only the plain
  // cross-fade can show it; the other effects meet the picture at rest.
  bool FadeKeepsMoving() const;
  // How long the motion of a picture takes: its duration, and with a moving cross-fade the
  // fade out (and the fade in, when it comes with one).
  uint32_t MotionLengthMs(bool fadesIn) const;
  // Where a picture's path is now, for a motion that began at start and lasts lengthMs.
  double MotionNow(uint32_t start, uint32_t lengthMs) const;
  // Runs the transition to the picture just applied; the leaving one keeps moving through a
  // moving cross-fade.
  void RunChange(const PictureView& oldView, const std::optional<PictureView>& oldPartnerView);
  // Sets the pacing of the next frame, so that frames come at the chosen rate.
  void NextFramePeriod();
  void ShowNoPictures();
  void StartMusic();

  PhotoSettings settings_;
  LibraryOptions libraryOptions_;
  Platform& platform_;
  DisplayOptions options_;
  std::unique_ptr<Display> display_;
  std::unique_ptr<PictureLibrary> library_;
  std::unique_ptr<TPicturePreparer> preparer_;
  std::unique_ptr<TSaverMusic> music_;
  PresentationState state_;
  PhotoLook look_;
  PictureView view_;  // what the picture on screen shows, for the frame log
  std::optional<PictureView> partnerView_;  // with a pair on screen: the right picture's
  MovingPhoto moving_;  // with motion: the picture on screen, drawn into state_.fittedPicture
  MotionPath path_;
  std::unique_ptr<TextRenderer> text_;  // with captions
  std::string captionText_;
  Bitmap32 caption_;  // premultiplied, drawn over each frame of the picture on screen
  std::string partnerCaptionText_;
  Bitmap32 partnerCaption_;  // a pair's right picture's, under its half
  bool moves_ = false;  // the picture on screen has a path that is not still
  bool viewsOnDisplay_ = false;  // its moving views are drawn by the display (the GPU)
  uint32_t motionStart_ = 0;  // tick at which its motion began
  uint32_t motionMs_ = 0;     // how long its motion takes
  // The picture a moving cross-fade leaves, moving on under it; empty otherwise.
  struct Leaving {
    MovingPhoto moving;
    MotionPath path;
    uint32_t start = 0, lengthMs = 0;
    Bitmap32 caption;
  };
  std::optional<Leaving> leaving_;
  uint64_t frameCount_ = 0;
  std::vector<int> effects_;
  Bitmap32 oldPicture_, newPicture_, work_;
  std::optional<LibraryPicture> current_, next_;
  // The right pictures of a pair on screen and of the next one; a picture reserved after a
  // lone portrait, shown after it.
  std::optional<LibraryPicture> currentPartner_, nextPartner_, held_;
  uint32_t pictureStartTime_ = 0;
  uint32_t nextStartedRealMs_ = 0;  // steady time the preparer began on next_
  bool emptyShown_ = false;
  bool shownPending_ = false;  // current_ is on screen but not yet counted as dealt
  bool closeRequested_ = false;
};

}  // namespace tp
