#pragma once
// A window of another program — a preview host or a screensaver host — given by its X11
// id. Drawing goes into that window itself (not into a child window of ours), so what is
// drawn stays there after our connection has closed, until the host paints over it.
#include <chrono>
#include <memory>

#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

class ForeignWindow {
 public:
  // Connects to the X server named by DISPLAY and looks the window up. Throws
  // std::runtime_error when there is no X server or no window with that id.
  explicit ForeignWindow(unsigned long windowId);
  ~ForeignWindow();
  ForeignWindow(const ForeignWindow&) = delete;
  ForeignWindow& operator=(const ForeignWindow&) = delete;

  unsigned long id() const;
  // The window's size as last seen (at creation, then from the server's notifications).
  int width() const;
  int height() const;

  // True when the window and all its ancestors are mapped. Throws std::runtime_error
  // when the window no longer exists.
  bool Viewable();
  // Asks Viewable until it holds, sleeping `pause` between the checks; false when the
  // window is still not viewable after `limit`, or the program was asked to end.
  bool WaitUntilViewable(std::chrono::milliseconds limit, std::chrono::milliseconds pause);

  // Draws the picture stretched over the whole window (nearest pixel, aspect ratio
  // ignored) and waits until the server has done it. Throws std::runtime_error when the
  // server refuses the drawing (e.g. the window has gone).
  void DrawStretched(const Bitmap32& picture);
  // Copies the block `area` of `frame` to the same place in the window (clipped to the
  // frame) and waits until the server has done it; false when the window has gone.
  bool DrawArea(const Bitmap32& frame, const Rect& area);

  // Handles the server's pending notifications (size changes, destruction); false once
  // the window has been destroyed.
  bool StillThere();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tp
