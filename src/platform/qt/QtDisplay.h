#pragma once
// The saver window on Qt: frameless, black, on top, covering the primary screen (or an
// ordinary window, or one window per screen), drawing the display's own screen bitmap.
#include <memory>
#include <vector>

#include "platform/CloseRelay.h"
#include "platform/Display.h"
#include "platform/RunLoop.h"
#include "platform/TerminationSignals.h"

class QWidget;

namespace tp {

class SaverWidget;

class QtDisplay : public Display {
 public:
  // With a run loop, SIGTERM and SIGINT become close requests for handler while the
  // display is open (unless something else watches those signals already).
  QtDisplay(const DisplayOptions& options, InputHandler* handler, RunLoop* signalLoop = nullptr);
  ~QtDisplay() override;

  int ScreenWidth() const override { return screen_.width(); }
  int ScreenHeight() const override { return screen_.height(); }
  int BitDepth() const override { return bitDepth_; }

  void Present(const Bitmap32& bitmap, int x, int y) override;
  void FillBlack() override;
  void Capture(Bitmap32& out) override;

  bool InitScaled(int width, int height, int bitsPerPixel) override;
  bool CanDraw() const override { return scaled_; }
  void PresentScaled(const Bitmap32& bitmap) override;
  void CaptureBackSurface(Bitmap32& out) override;

  void ShowCursor(bool show) override;

  // The first (primary) window, for tests that grab what it shows.
  QWidget* primaryWidget() const;

  // What the windows paint: the screen bitmap, or the back surface stretched when scaled.
  const Bitmap32& screenBitmap() const { return screen_; }
  const Bitmap32& backSurface() const { return back_; }
  bool scaledShowing() const { return scaled_ && showingBack_; }

 private:
  void RepaintAll();

  Bitmap32 screen_;
  Bitmap32 back_;
  int bitDepth_ = 32;
  bool scaled_ = false;
  bool showingBack_ = false;
  int cursorCount_ = 0;
  std::vector<std::unique_ptr<SaverWidget>> widgets_;
  InputHandler* handler_ = nullptr;
  std::shared_ptr<CloseRelay> relay_;
  std::unique_ptr<TerminationSignals> signals_;
};

}  // namespace tp
