#pragma once
// The saver's screen inside a host's window (an xscreensaver hack window, the root window
// or any window given by id): frames are drawn into the host window at its size. Input
// belongs to the host, so no mouse or key events are delivered; a close is requested only
// through the CloseRelay (SIGTERM) or when the host destroys its window.
#include <memory>

#include "imaging/LetterboxStretch.h"
#include "imaging/Bitmap32.h"
#include "platform/CloseRelay.h"
#include "platform/Display.h"
#include "platform/Input.h"
#include "platform/x11/ForeignWindow.h"
#include "platform/x11/GlxHostView.h"

namespace tp {

class HostWindowDisplay : public Display {
 public:
  // live, when given, points at this display while it exists (for CheckHost).
  // movingViews: a moving show, whose views the GPU draws where GLX offers one worth it.
  HostWindowDisplay(std::unique_ptr<ForeignWindow> window, InputHandler* handler,
                    std::shared_ptr<CloseRelay> relay,
                    std::shared_ptr<HostWindowDisplay*> live = nullptr, bool movingViews = false);
  ~HostWindowDisplay() override;

  int ScreenWidth() const override { return screen_.width(); }
  int ScreenHeight() const override { return screen_.height(); }
  int BitDepth() const override { return 32; }

  void Present(const Bitmap32& bitmap, int x, int y) override;
  void FillBlack() override;
  void Capture(Bitmap32& out) override;

  bool InitScaled(int width, int height, int bitsPerPixel) override;
  bool CanDraw() const override { return scaledReady_; }
  void PresentScaled(const Bitmap32& bitmap) override;
  void CaptureBackSurface(Bitmap32& out) override { out = back_; }

  // The host window's screen is taken to refresh at 60 Hz: asking the X server for the
  // rate of the monitor showing the window would need another X extension.
  double RefreshHz() const override { return 60; }

  // The host owns the pointer; the count is kept only so the calls pair up.
  void ShowCursor(bool show) override { cursorCount_ += show ? 1 : -1; }

  bool SetMovingPicture(const MovingPicture& picture) override;
  bool PresentMovingView(const PictureView& view) override;
  // Whether the GPU draws this display's frames now.
  bool DrawsOnGpu();

  // Handles the host's notifications without drawing; a vanished window (or X server)
  // becomes a close request. Called between frames, so a show that draws nothing still
  // notices.
  void CheckHost();

 private:
  // Sends the changed block of screen_ to the host window; a vanished window becomes a
  // close request.
  void Flush(const Rect& area);
  // Before a bitmap goes over part of the screen after views: the screen bitmap gets the
  // view shown.
  void TakeBackView();
  void HostGone();

  std::unique_ptr<ForeignWindow> window_;
  InputHandler* handler_;
  std::shared_ptr<CloseRelay> relay_;
  std::shared_ptr<HostWindowDisplay*> live_;
  Bitmap32 screen_;
  Bitmap32 back_;
  LetterboxStretcher stretcher_;
  bool scaledReady_ = false;
  bool hostGone_ = false;
  int cursorCount_ = 0;
  std::unique_ptr<GlxHostView> gpu_;  // over the host's window; null on the CPU path
  bool viewShown_ = false;
};

}  // namespace tp
