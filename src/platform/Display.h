#pragma once
// The saver's screen: the 1:1 window path and the scaled full-screen path.
// Every backend keeps its own screen bitmap, so Capture is exact on every backend.
#include <memory>
#include <string>

#include "imaging/Bitmap32.h"
#include "platform/Input.h"
#include "platform/MovingPicture.h"
#include "platform/PictureView.h"

namespace tp {

struct DisplayOptions {
  bool fullScreen = true;    // cover the primary screen (else an ordinary window)
  int windowWidth = 800;     // size of the ordinary window when not full screen
  int windowHeight = 600;
  unsigned long hostWindow = 0;  // draw into this foreign window (X11 id) when non-zero
  bool allScreens = false;   // repeat the show on every screen
  int screen = 0;            // full screen on this screen (0 the primary; one that is not
                             // there, as an unplugged monitor, gives the primary)
  std::string title;         // the window's title (UTF-8): the saver's product name
  bool movingViews = false;  // the show draws moving views: the GPU may draw them
};

class Display {
 public:
  virtual ~Display() = default;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual int BitDepth() const = 0;

  // Window drawing: the bitmap copied 1:1 with its top-left at (x, y), clipped to the screen.
  virtual void Present(const Bitmap32& bitmap, int x, int y) = 0;
  // Clears the whole window to black.
  virtual void FillBlack() = 0;
  // What the window shows now (screen size).
  virtual void Capture(Bitmap32& out) = 0;

  // The scaled full-screen path. InitScaled may fail (returns false).
  virtual bool InitScaled(int width, int height, int bitsPerPixel) = 0;
  // True when the scaled path is ready to draw.
  virtual bool CanDraw() const = 0;
  // The back surface takes the bitmap's size and content, then the screen shows it
  // stretched over the whole screen.
  virtual void PresentScaled(const Bitmap32& bitmap) = 0;
  // The back surface as last loaded (size of the bitmap presented last).
  virtual void CaptureBackSurface(Bitmap32& out) = 0;

  // How often the screen refreshes, in Hz, as the window system says (unchecked); 0 when
  // presents are not paced to a refresh (the headless screen unless told a rate).
  virtual double RefreshHz() const { return 0; }

  // Cursor show/hide counter: hidden while the count is below 0.
  virtual void ShowCursor(bool show) = 0;

  // Says what the frame presented last shows of a picture (once per picture in it). The
  // headless display writes it to the frame log; the others have no use for it.
  virtual void NoteView(const PictureView&) {}

  // Moving views the display draws itself (on the GPU). SetMovingPicture uploads a picture
  // with its fill and caption and says whether the display will draw its views; then each
  // PresentMovingView shows one. Either answers false where it cannot (no GPU, a picture
  // too large for it, a lost context): the caller then draws its frames and presents them.
  // Present, FillBlack and PresentScaled show bitmaps again; Capture shows the last view.
  virtual bool SetMovingPicture(const MovingPicture&) { return false; }
  virtual bool PresentMovingView(const PictureView&) { return false; }
};

}  // namespace tp
