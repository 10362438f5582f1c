#pragma once
// The GPU's part of a host's window: a child window of ours with an OpenGL visual over the
// whole host window, drawn through GLX on a connection of its own. It selects no input, so
// the host's window still gets the pointer. Made only where the server offers GLX and the
// renderer is worth it (see GpuChoice); its drawing calls never throw.
#include <memory>
#include <string>

#include "imaging/Bitmap32.h"
#include "platform/MovingPicture.h"
#include "platform/PictureView.h"

namespace tp {

class GlxHostView {
 public:
  // The view over host window hostId (width x height now), or null; reason says what the
  // event log should (the renderer, or why not).
  static std::unique_ptr<GlxHostView> Open(unsigned long hostId, int width, int height, std::string* reason);
  ~GlxHostView();
  GlxHostView(const GlxHostView&) = delete;
  GlxHostView& operator=(const GlxHostView&) = delete;

  // True once drawing failed (the host's window gone, the context lost).
  bool failed() const;

  // Follows the host window's size (the show is fitted into it keeping its shape).
  void Resize(int width, int height);
  // Shows the screen bitmap, of which rows y0..y1 changed.
  void ShowScreen(const Bitmap32& screen, int y0, int y1);
  bool SetPicture(const MovingPicture& picture);
  // Shows a view of the picture set last on a W x H screen.
  void ShowView(const PictureView& view, int W, int H);
  // The view shown last, drawn again at W x H and read back (the window must be that size).
  bool ReadView(int W, int H, Bitmap32& out);

 private:
  struct Impl;
  explicit GlxHostView(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace tp
