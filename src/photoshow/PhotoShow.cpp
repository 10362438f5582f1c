#include "photoshow/PhotoShow.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>

#include "core/ProgramRandom.h"
#include "imaging/CaptionBitmap.h"
#include "imaging/ImageError.h"
#include "imaging/TextRenderer.h"
#include "photoshow/PhotoMusic.h"
#include "photoshow/PhotoPair.h"
#include "photoshow/PhotoPreparation.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"
#include "presentation/FramePresenter.h"
#include "presentation/PacedDisplay.h"
#include "presentation/PicturePreparer.h"
#include "presentation/TransitionDriver.h"
#include "saver/Music.h"
#include "saver/SaverInput.h"

namespace tp {
namespace {

uint32_t SteadyMs() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Waiting for the scan's first picture holds up nothing else: the window is black meanwhile.
constexpr int kFirstPictureWaitMs = 50;
// A change that finds no other picture while the scan still runs gives the scan this long
// before the picture stays on: on a slow drive the show moves on instead of lingering.
constexpr int kChangeScanWaitMs = 250;
// Pictures tried in one step before the step gives the screen back.
constexpr int kTriesPerStep = 8;
// A caption's text is a 28th of the screen's height, its margin a 40th.
constexpr int kCaptionSizeDivisor = 28;
constexpr int kCaptionMarginDivisor = 40;
constexpr int kMinCaptionPixels = 10;

std::string FolderListText(const std::vector<std::string>& folders) {
  std::string text;
  for (const std::string& f : folders) {
    if (!text.empty()) text += ", ";
    text += f;
  }
  return text;
}

// A picture made ready as the show's look says: composed still, or prepared for its path.
PreparedPicture PrepareForShow(const std::string& path, int w, int h, const PhotoLook& look,
                               const std::atomic<bool>* cancel) {
  PreparedPicture prepared;
  if (look.motion == PhotoMotion::Off) {
    ComposedPhoto composed = PreparePhoto(path, w, h, look, cancel);
    prepared.plain = std::move(composed.shown);
    prepared.views = {composed.view};
    return prepared;
  }
  MovingPhoto moving = PrepareMovingPhoto(path, w, h, look, cancel);
  prepared.plain.width = moving.picture.width();
  prepared.plain.height = moving.picture.height();
  prepared.plain.picture = std::move(moving.picture);
  prepared.background = std::move(moving.background);
  prepared.originalWidth = moving.originalWidth;
  prepared.originalHeight = moving.originalHeight;
  return prepared;
}

// The preparer's job: one picture, or two side by side (still, whatever the motion). When
// one of a pair cannot be shown, the other is prepared alone and the failure named; when
// neither can, the result shows nothing and names both.
PreparedPicture PrepareJob(const std::string& job, int w, int h, const PhotoLook& look,
                           const std::atomic<bool>* cancel) {
  const std::vector<std::string> paths = PathsOfJob(job);
  if (paths.size() != 2) return PrepareForShow(paths.front(), w, h, look, cancel);
  PairHalvesPrepared halves = PreparePairHalves(paths[0], paths[1], w, h, look, cancel);
  PreparedPicture prepared;
  if (halves.halves[0] && halves.halves[1]) {
    PairedPhoto pair = PlacePair(*halves.halves[0], *halves.halves[1], w, h);
    prepared.plain = std::move(pair.shown);
    prepared.views = std::move(pair.views);
    return prepared;
  }
  for (int i = 0; i < 2; ++i)
    if (!halves.halves[i]) prepared.failures.push_back({paths[i], halves.errors[i]});
  if (prepared.failures.size() == 2) return prepared;
  const std::string& alone = halves.halves[0] ? paths[0] : paths[1];
  halves = {};
  PreparedPicture single = PrepareForShow(alone, w, h, look, cancel);
  single.failures = std::move(prepared.failures);
  return single;
}

double RandomFraction() { return ProgramRandom::Random(1001) / 1000.0; }

}  // namespace

TPhotoShow::TPhotoShow(PhotoSettings settings, LibraryOptions library, Platform& platform, DisplayOptions options)
    : settings_(std::move(settings)), libraryOptions_(std::move(library)), platform_(platform), options_(std::move(options)) {}

TPhotoShow::~TPhotoShow() { Finish(); }

void TPhotoShow::ShowModal() {
  options_.movingViews = settings_.motion != PhotoMotion::Off;
  display_ = OpenPacedDisplay(platform_, options_, this);
  Start();
  for (;;) {
    platform_.runLoop().PumpMessages();
    if (TerminationRequested()) RequestClose("signal");
    if (!closeRequested_) IdleStep();
    if (closeRequested_) {
      closeRequested_ = false;
      ProcessInputState().graceCount = SaverInputState::kGraceCount;
      // There is no screensaver password on this platform: the close is always allowed.
      LogEvent("close-query", "allowed");
      break;
    }
  }
  Finish();
}

void TPhotoShow::Start() {
  Clock& clock = platform_.clock();
  effects_ = TransitionEffectsOf(settings_.transitions);
  if (effects_.empty()) effects_ = {1};
  SaverInputState& input = ProcessInputState();
  input.lastX = -1;
  input.lastY = -1;
  ProgramRandom::SetSeed(clock.Tick());

  state_.screenWidth = display_->ScreenWidth();
  state_.screenHeight = display_->ScreenHeight();
  state_.stretch = true;
  state_.proportional = true;
  state_.directDrawInUse = false;
  NextFramePeriod();
  LogEvent("drawing-path", "window");
  oldPicture_.SetSizeUninitialized(state_.screenWidth, state_.screenHeight);
  newPicture_.SetSizeUninitialized(state_.screenWidth, state_.screenHeight);
  work_.SetSizeUninitialized(state_.screenWidth, state_.screenHeight);

  library_ = std::make_unique<PictureLibrary>(libraryOptions_);
  // The first picture from the index of an earlier show, before the scan competes for it.
  next_ = library_->Reserve();
  library_->StartScan();
  look_.fill = settings_.fill;
  look_.cropLimitPercent = settings_.cropLimitPercent;
  look_.motion = settings_.motion;
  preparer_ = std::make_unique<TPicturePreparer>(
      [w = state_.screenWidth, h = state_.screenHeight, look = look_](const std::string& path,
                                                                     const std::atomic<bool>& cancel) {
        return PrepareJob(path, w, h, look, &cancel);
      });
  if (settings_.captions != PhotoCaptions::Off) text_ = TextRenderer::CreateSansSerif();
  music_ = std::make_unique<TSaverMusic>(platform_.audio());
  StartMusic();
  display_->FillBlack();
  display_->ShowCursor(false);
  state_.lastFrameTick = clock.Tick();
}

void TPhotoShow::Finish() {
  if (preparer_) preparer_->Stop();
  for (std::optional<LibraryPicture>* reserved : {&next_, &nextPartner_, &held_}) {
    if (library_ && *reserved) library_->Release(**reserved);
    reserved->reset();
  }
  if (music_) music_->Stop();
  if (display_) display_->ShowCursor(true);
  preparer_.reset();
  library_.reset();  // gives back the reservations
  music_.reset();
  display_.reset();
}

void TPhotoShow::StartMusic() {
  const std::string tracks = MusicTrackList(settings_.music);
  if (tracks.empty()) return;
  // The music player shuffles with mode 0 and keeps the list's order otherwise.
  music_->Start(tracks, settings_.musicShuffle ? 0 : 1, std::string());
}

void TPhotoShow::RequestClose(const char* reason) {
  if (closeRequested_) return;
  closeRequested_ = true;
  LogEvent("close-request", reason);
}

void TPhotoShow::OnMouseMove(int x, int y) {
  if (MouseMoveEndsRun(ProcessInputState(), x, y)) RequestClose("mouse-move");
}
void TPhotoShow::OnMouseDown(MouseButton) { RequestClose("mouse-down"); }
void TPhotoShow::OnKeyPress(char32_t) { RequestClose("key"); }
void TPhotoShow::OnCloseRequest() { RequestClose("system"); }

void TPhotoShow::IdleStep() {
  Clock& clock = platform_.clock();
  try {
    if (!current_) {
      if (!ShowFirstPicture()) {
        if (!emptyShown_ && library_->ScanFinished() && library_->PictureCount() == 0) ShowNoPictures();
        PaceFrame(clock, state_);
        return;
      }
    } else if (clock.Tick() - pictureStartTime_ >= uint32_t(settings_.durationSeconds) * 1000u) {
      ChangePicture();
    }
    const bool drawnByDisplay = MoveCurrent();
    const bool drawn = drawnByDisplay || !state_.frameOnScreen;
    NextFramePeriod();
    DrawCurrentFrame(*display_, clock, state_, nullptr);
    if (drawn && state_.frameOnScreen) NoteViews(view_, partnerView_);
    // The deck's bookkeeping waits until the picture is on screen, so it never delays it.
    if (shownPending_ && current_) library_->Shown(*current_);
    if (shownPending_ && currentPartner_) library_->Shown(*currentPartner_);
    shownPending_ = false;
    PrepareNext();
  } catch (const std::exception& e) {
    // The step is dropped; the next one goes on, a frame period later.
    if (std::getenv("TIDEPOOL_DEBUG")) std::fprintf(stderr, "tidepool: %s\n", e.what());
    PaceFrame(clock, state_);
  }
}

bool TPhotoShow::ShowFirstPicture() {
  for (int tries = 0; tries < kTriesPerStep; ++tries) {
    if (!next_) next_ = held_ ? std::exchange(held_, std::nullopt) : library_->WaitAndReserve(kFirstPictureWaitMs);
    if (!next_) return false;
    PairNext();
    try {
      PreparedPicture prepared = PrepareJob(NextJob(), state_.screenWidth, state_.screenHeight, look_, nullptr);
      DropFailures(prepared);
      if (!next_) continue;
      ApplyPrepared(std::move(prepared), *next_, nextPartner_ ? &*nextPartner_ : nullptr);
    } catch (const std::exception& e) {
      for (std::optional<LibraryPicture>* picture : {&next_, &nextPartner_})
        if (*picture) library_->Skip(**picture, e.what());
      next_.reset();
      nextPartner_.reset();
      continue;
    }
    state_.frameOnScreen = false;
    state_.shownFilePath = next_->path;
    emptyShown_ = false;
    display_->FillBlack();
    LogEvent("load", next_->path);
    if (nextPartner_) LogEvent("load", nextPartner_->path);
    LogCaption();
    shownPending_ = true;  // counted once its first frame is out
    current_ = std::exchange(next_, std::nullopt);
    currentPartner_ = std::exchange(nextPartner_, std::nullopt);
    pictureStartTime_ = platform_.clock().Tick();
    motionStart_ = pictureStartTime_;
    motionMs_ = MotionLengthMs(false);
    return true;
  }
  return false;
}

void TPhotoShow::PrepareNext() {
  if (next_ || !library_) return;
  next_ = held_ ? std::exchange(held_, std::nullopt) : library_->Reserve();
  if (!next_) return;
  if (current_ && next_->id == current_->id) return;  // the same picture again: nothing to prepare
  PairNext();
  preparer_->Start(NextJob());
  nextStartedRealMs_ = SteadyMs();
}

void TPhotoShow::PairNext() {
  if (!settings_.pairs || !next_ || nextPartner_ || held_ || !IsPortrait(*next_)) return;
  if (current_ && next_->id == current_->id) return;
  if (HalvesOf(state_.screenWidth, state_.screenHeight).width == 0) return;
  // Only from this pass: the last picture of a pass is shown alone.
  std::optional<LibraryPicture> second = library_->ReserveFromThisPass();
  if (!second) return;
  const auto onScreen = [&](const std::optional<LibraryPicture>& p) { return p && p->id == second->id; };
  if (onScreen(current_) || onScreen(currentPartner_)) {
    library_->Release(*second);  // never beside itself
  } else if (IsPortrait(*second)) {
    nextPartner_ = std::move(second);
  } else {
    held_ = std::move(second);
  }
}

std::string TPhotoShow::NextJob() const {
  if (!next_) return {};
  return nextPartner_ ? JobOf({next_->path, nextPartner_->path}) : next_->path;
}

void TPhotoShow::DropFailures(const PreparedPicture& prepared) {
  for (const PreparedPicture::Failure& failure : prepared.failures) {
    if (nextPartner_ && nextPartner_->path == failure.path) {
      library_->Skip(*nextPartner_, failure.reason);
      nextPartner_.reset();
    } else if (next_ && next_->path == failure.path) {
      library_->Skip(*next_, failure.reason);
      next_ = std::exchange(nextPartner_, std::nullopt);
    }
  }
}

void TPhotoShow::NoteViews(const PictureView& view, const std::optional<PictureView>& partner) {
  display_->NoteView(view);
  if (partner) display_->NoteView(*partner);
}

PreparedPicture TPhotoShow::TakeNext() {
  const std::string job = NextJob();
  try {
    if (preparer_->Path() == job && preparer_->Busy()) {
      // The worker has had the picture's whole duration; it gets what is left of the budget.
      const int spent = int(SteadyMs() - nextStartedRealMs_);
      const int left = kDecodeBudgetMs - spent;
      if (left <= 0 || !preparer_->WaitUntilDone(std::chrono::milliseconds(left))) {
        preparer_->Cancel();
        throw ImageDecodeError("decoding took longer than " + std::to_string(kDecodeBudgetMs / 1000) + " s");
      }
    }
    std::optional<PreparedPicture> prepared = preparer_->Take(job);
    for (const std::string& path : PathsOfJob(job)) LogEvent(prepared ? "prepared" : "prepared-miss", path);
    if (!prepared) prepared = PrepareJob(job, state_.screenWidth, state_.screenHeight, look_, nullptr);
    DropFailures(*prepared);
    if (!next_) throw ImageDecodeError("neither picture of the pair can be shown");
    return std::move(*prepared);
  } catch (const std::exception& e) {
    for (std::optional<LibraryPicture>* picture : {&next_, &nextPartner_})
      if (*picture) library_->Skip(**picture, e.what());
    next_.reset();
    nextPartner_.reset();
    throw;
  }
}

void TPhotoShow::ApplyPrepared(PreparedPicture&& prepared, const LibraryPicture& picture,
                               const LibraryPicture* partner) {
  partnerView_ = prepared.views.size() > 1 ? std::optional<PictureView>(prepared.views[1]) : std::nullopt;
  MakeCaption(picture, partnerView_ ? partner : nullptr);
  if (look_.motion == PhotoMotion::Off || partnerView_) {  // a pair stands still
    ApplyFittedPicture(std::move(prepared.plain), state_);
    view_ = prepared.views.empty() ? PictureView{} : prepared.views[0];
    moves_ = false;
    viewsOnDisplay_ = false;
    DrawCaption();
    return;
  }
  moving_.picture = std::move(prepared.plain.picture);
  moving_.background = std::move(prepared.background);
  moving_.originalWidth = prepared.originalWidth;
  moving_.originalHeight = prepared.originalHeight;
  moving_.screenWidth = state_.screenWidth;
  moving_.screenHeight = state_.screenHeight;
  moving_.look = look_;
  MotionChoices choices;
  choices.reverse = ProgramRandom::Random(2) == 1;
  choices.startX = RandomFraction();
  choices.startY = RandomFraction();
  choices.endX = RandomFraction();
  choices.endY = RandomFraction();
  path_ = PathOf(moving_, choices);
  moves_ = !path_.Still();
  view_ = ViewAt(path_, 0);
  // The frames are drawn into the fitted picture's buffer, which covers the screen.
  state_.fittedPicture.SetSizeUninitialized(state_.screenWidth, state_.screenHeight);
  DrawMovingFrame(moving_, view_, state_.fittedPicture);
  state_.pictureWidth = state_.screenWidth;
  state_.pictureHeight = state_.screenHeight;
  DrawCaption();
  // Where the display draws views itself, the picture goes to it once; the first view is
  // still the frame above, so what a transition starts from is the same either way.
  MovingPicture upload;
  upload.picture = &moving_.picture;
  upload.originalWidth = moving_.originalWidth;
  upload.originalHeight = moving_.originalHeight;
  upload.background = &moving_.background;
  upload.caption = &caption_;
  const Point at = CaptionAt(caption_);
  upload.captionX = at.x;
  upload.captionY = at.y;
  viewsOnDisplay_ = moves_ && display_->SetMovingPicture(upload);
}

void TPhotoShow::MakeCaption(const LibraryPicture& picture, const LibraryPicture* partner) {
  captionText_ = CaptionText(picture, settings_.captions);
  partnerCaptionText_ = partner ? CaptionText(*partner, settings_.captions) : std::string();
  const int h = state_.screenHeight;
  const int margin = h / kCaptionMarginDivisor;
  // With a pair on screen, each picture's caption stays under its half.
  const int width = partner ? HalvesOf(state_.screenWidth, h).width : state_.screenWidth;
  const auto render = [&](const std::string& text) {
    if (text.empty() || !text_) return Bitmap32();
    return RenderCaption(*text_, text, std::max(kMinCaptionPixels, h / kCaptionSizeDivisor), width - 2 * margin);
  };
  caption_ = render(captionText_);
  partnerCaption_ = render(partnerCaptionText_);
}

Point TPhotoShow::CaptionAt(const Bitmap32& caption) const {
  const int margin = state_.screenHeight / kCaptionMarginDivisor;
  return {margin, state_.screenHeight - margin - caption.height()};
}

void TPhotoShow::BlendCaptionOn(const Bitmap32& caption, Bitmap32& frame) const {
  if (caption.empty() || frame.width() != state_.screenWidth || frame.height() != state_.screenHeight) return;
  const Point at = CaptionAt(caption);
  BlendCaption(caption, frame, at.x, at.y);
}

void TPhotoShow::DrawCaption() {
  if ((caption_.empty() && partnerCaption_.empty()) || state_.fittedPicture.empty()) return;
  const int W = state_.screenWidth, H = state_.screenHeight;
  if (state_.pictureWidth != W || state_.pictureHeight != H) {
    // A picture between bars is smaller than the screen: it is put on a black screen of its
    // own, once, so that the caption sits in the screen's corner and not the picture's.
    const Point at = PresentationOffset(state_);
    Bitmap32 screen(W, H);
    const Bitmap32& picture = state_.fittedPicture;
    const int x0 = std::max(0, -at.x), x1 = std::min(picture.width(), W - at.x);
    for (int y = std::max(0, -at.y); y < picture.height() && at.y + y < H; ++y)
      if (x1 > x0) std::copy(picture.scanline(y) + x0, picture.scanline(y) + x1, screen.scanline(at.y + y) + at.x + x0);
    state_.fittedPicture = std::move(screen);
    state_.pictureWidth = W;
    state_.pictureHeight = H;
  }
  BlendCaptionOn(caption_, state_.fittedPicture);
  const int margin = H / kCaptionMarginDivisor;
  if (!partnerCaption_.empty())
    BlendCaption(partnerCaption_, state_.fittedPicture, HalvesOf(W, H).rightX + margin,
                 H - margin - partnerCaption_.height());
}

void TPhotoShow::LogCaption() const {
  if (!caption_.empty()) LogEvent("caption", captionText_);
  if (!partnerCaption_.empty()) LogEvent("caption", partnerCaptionText_);
}

void TPhotoShow::NextFramePeriod() {
  // Whole milliseconds that add up to the rate: 17, 17, 16, ... at 60 a second.
  const uint64_t fps = uint64_t(std::clamp(settings_.framesPerSecond, 1, kMaxFramesPerSecond));
  const uint64_t n = frameCount_++ % fps;
  state_.framePeriodMs = uint32_t((n + 1) * 1000 / fps - n * 1000 / fps);
}

bool TPhotoShow::FadeKeepsMoving() const {
  return look_.motion != PhotoMotion::Off && settings_.transitionMs > 0 && effects_ == std::vector<int>{1};
}

uint32_t TPhotoShow::MotionLengthMs(bool fadesIn) const {
  uint32_t ms = uint32_t(settings_.durationSeconds) * 1000u;
  if (FadeKeepsMoving()) ms += uint32_t(settings_.transitionMs) * (fadesIn ? 2u : 1u);
  return ms;
}

double TPhotoShow::MotionNow(uint32_t start, uint32_t lengthMs) const {
  return MotionProgress(platform_.clock().Tick() - start, lengthMs);
}

void TPhotoShow::StayLonger() {
  const uint32_t now = platform_.clock().Tick();
  pictureStartTime_ = now;
  // Back the way it came, from where it is now (at rest, unless a moving fade was due).
  const MotionStop here = StopOf(path_, MotionNow(motionStart_, motionMs_));
  path_.end = path_.start;
  path_.start = here;
  motionStart_ = now;
  motionMs_ = MotionLengthMs(false);
}

bool TPhotoShow::MoveCurrent() {
  if (!moves_ || !current_ || !state_.frameOnScreen) return false;
  // Where the picture should be now, whenever this frame comes.
  const PictureView view = ViewAt(path_, MotionNow(motionStart_, motionMs_));
  if (view == view_) return false;
  view_ = view;
  if (viewsOnDisplay_ && display_->PresentMovingView(view_)) return true;
  viewsOnDisplay_ = false;  // the GPU went: the CPU draws from here on
  DrawMovingFrame(moving_, view_, state_.fittedPicture);
  DrawCaption();
  state_.frameOnScreen = false;
  return false;
}

void TPhotoShow::ChangePicture() {
  Clock& clock = platform_.clock();
  PrepareNext();
  if (!next_ && !library_->ScanFinished()) {
    next_ = library_->WaitAndReserve(kChangeScanWaitMs);
    PairNext();
  }
  if (!next_) {
    StayLonger();  // nothing else to show yet
    return;
  }
  if (current_ && next_->id == current_->id) {
    library_->Shown(*next_);
    next_.reset();
    StayLonger();
    return;
  }
  const PictureView oldView = view_;
  const std::optional<PictureView> oldPartnerView = partnerView_;
  PreparedPicture prepared = TakeNext();  // next_ is then the first picture it shows
  // The leaving picture moves on under a moving cross-fade; ApplyPrepared replaces it.
  if (moves_ && FadeKeepsMoving())
    leaving_ = Leaving{std::move(moving_), path_, motionStart_, motionMs_, std::move(caption_)};
  ApplyPrepared(std::move(prepared), *next_, nextPartner_ ? &*nextPartner_ : nullptr);
  state_.shownFilePath = next_->path;
  state_.frameOnScreen = false;
  LogEvent("load", next_->path);
  if (nextPartner_) LogEvent("load", nextPartner_->path);
  LogCaption();
  shownPending_ = true;
  current_ = std::exchange(next_, std::nullopt);
  currentPartner_ = std::exchange(nextPartner_, std::nullopt);
  // The new picture's motion starts with a moving fade in, else once the transition is over.
  motionStart_ = clock.Tick();
  motionMs_ = MotionLengthMs(true);
  RunChange(oldView, oldPartnerView);
  leaving_.reset();
  pictureStartTime_ = clock.Tick();
  if (!FadeKeepsMoving()) motionStart_ = pictureStartTime_;
  if (moves_) {
    // The transition may have moved the picture on: its frame starts from where it is now.
    view_ = ViewAt(path_, MotionNow(motionStart_, motionMs_));
    DrawMovingFrame(moving_, view_, state_.fittedPicture);
    DrawCaption();
  }
}

void TPhotoShow::RunChange(const PictureView& leavingView, const std::optional<PictureView>& leavingPartner) {
  Clock& clock = platform_.clock();
  if (settings_.transitionMs <= 0) {
    display_->FillBlack();
  } else {
    PictureView oldView = leavingView;
    TransitionContext context;
    context.display = display_.get();
    context.runLoop = &platform_.runLoop();
    context.clock = &clock;
    context.oldPicture = &oldPicture_;
    context.newPicture = &newPicture_;
    context.work = &work_;
    context.plainPicture = true;
    context.fittedPicture = &state_.fittedPicture;
    context.stretch = true;
    context.proportional = true;
    context.allowedEffects = &effects_;
    // A transition frame shows what is left of the old picture and what has come of the new.
    context.framePresented = [this, &oldView, &leavingPartner](int progress) {
      if (progress < 100) NoteViews(oldView, leavingPartner);
      if (progress > 0) NoteViews(view_, partnerView_);
    };
    if (FadeKeepsMoving()) {
      // Both pictures drawn where their paths are at this frame's time.
      context.beforeFrame = [this, &oldView](int) {
        const int W = state_.screenWidth, H = state_.screenHeight;
        if (leaving_ && oldPicture_.width() == W && oldPicture_.height() == H) {
          oldView = ViewAt(leaving_->path, MotionNow(leaving_->start, leaving_->lengthMs));
          DrawMovingFrame(leaving_->moving, oldView, oldPicture_);
          BlendCaptionOn(leaving_->caption, oldPicture_);
        }
        if (moves_ && newPicture_.width() == W && newPicture_.height() == H) {
          view_ = ViewAt(path_, MotionNow(motionStart_, motionMs_));
          DrawMovingFrame(moving_, view_, newPicture_);
          BlendCaptionOn(caption_, newPicture_);
        }
      };
    }
    RunTransition(context, settings_.transitionMs);
  }
}

void TPhotoShow::ShowNoPictures() {
  emptyShown_ = true;
  const std::string folders = FolderListText(libraryOptions_.folders);
  LogEvent("no-pictures", folders);
  Bitmap32 screen;
  screen.SetSize(state_.screenWidth, state_.screenHeight);  // black
  if (auto text = TextRenderer::CreateSansSerif()) {
    const int size = std::max(12, state_.screenHeight / 40);
    DrawCentredLine(*text, screen, "No pictures found in " + folders, size, 0xFFD0D0D0u);
  }
  display_->Present(screen, 0, 0);
  state_.frameOnScreen = true;
}

}  // namespace tp
