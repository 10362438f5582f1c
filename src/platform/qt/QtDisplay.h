#pragma once
// The saver window on Qt: frameless, black, on top, covering its screen (or an
// ordinary window, or one window per screen), drawing the display's own screen bitmap.
// Everything is in the screen's own (device) pixels, whatever scale factor the desktop
// uses: the screen bitmap has one pixel per device pixel and is painted 1:1.
#include <QList>
#include <QRect>

#include <memory>
#include <string>
#include <vector>

#include "imaging/LetterboxStretch.h"
#include "platform/CloseRelay.h"
#include "platform/Display.h"
#include "platform/RunLoop.h"
#include "platform/TerminationSignals.h"

class QScreen;
class QWidget;

namespace tp {

class GlViewWidget;
class SaverWidget;

// The desktop's screens, the primary first (empty without any).
QList<QScreen*> ScreensPrimaryFirst();

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
  // The back surface stretched over the screen keeping its shape (black bars), smoothly.
  void PresentScaled(const Bitmap32& bitmap) override;
  void CaptureBackSurface(Bitmap32& out) override;

  // The refresh rate of the screen the primary window is on; 60 when it says nothing sensible.
  double RefreshHz() const override;

  void ShowCursor(bool show) override;

  // With OpenGL (a folder show that moves, in one window): the GPU draws the moving views.
  bool SetMovingPicture(const MovingPicture& picture) override;
  bool PresentMovingView(const PictureView& view) override;
  // Whether the GPU draws this display's frames now.
  bool DrawsOnGpu();

  // Called by a window whose size changed: the primary window's size and state go to the
  // event log (what the window system really gave it).
  void WidgetResized(const SaverWidget* widget);

  // The first (primary) window, for tests that grab what it shows.
  QWidget* primaryWidget() const;

  // What the windows paint, in device pixels.
  const Bitmap32& screenBitmap() const { return screen_; }
  // Device pixels per logical pixel of the screen bitmap.
  double pixelRatio() const { return pixelRatio_; }

 private:
  void RepaintAll();
  // Rows y0..y1 of the screen bitmap changed: the windows show them again.
  void ScreenChanged(int y0, int y1, const QRect& damaged);
  // Before a bitmap goes on screen after views: the screen bitmap gets the view shown.
  void TakeBackView();
  // Opens the GPU's part of the primary window when OpenGL is there and worth it.
  void OpenGpu();

  Bitmap32 screen_;
  Bitmap32 back_;
  LetterboxStretcher stretcher_;
  double pixelRatio_ = 1.0;
  int bitDepth_ = 32;
  bool scaled_ = false;
  int cursorCount_ = 0;
  std::string lastShown_;
  std::vector<std::unique_ptr<SaverWidget>> widgets_;
  GlViewWidget* gpu_ = nullptr;  // a child of the primary window; null on the CPU path
  bool viewShown_ = false;       // the GPU shows a moving view, not the screen bitmap
  InputHandler* handler_ = nullptr;
  std::shared_ptr<CloseRelay> relay_;
  std::unique_ptr<TerminationSignals> signals_;
};

}  // namespace tp
