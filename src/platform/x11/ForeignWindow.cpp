#include "platform/x11/ForeignWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/TerminationSignals.h"
#include "platform/x11/XErrorTrap.h"
#include "platform/x11/XPixelFormat.h"

namespace tp {

struct ForeignWindow::Impl {
  ::Display* dpy = nullptr;
  Window window = 0;
  GC gc = nullptr;
  int width = 0;
  int height = 0;
  bool destroyed = false;
  std::atomic<bool> lost{false};  // the connection to the server broke
  std::optional<x11::XPixelFormat> format;

  ~Impl() {
    if (!dpy) return;
    if (!lost) {
      if (gc) XFreeGC(dpy, gc);
      x11::SyncAndTakeError(dpy);
    }
    x11::UntrapErrors(dpy);
    XCloseDisplay(dpy);
  }

  // Attributes of the window; nullopt when it does not exist (any more) or the server
  // has gone.
  std::optional<XWindowAttributes> Attributes() {
    if (lost) return std::nullopt;
    XWindowAttributes attrs{};
    Status ok = XGetWindowAttributes(dpy, window, &attrs);
    int error = x11::SyncAndTakeError(dpy);
    if (!ok || error != Success || lost) return std::nullopt;
    return attrs;
  }

  // Sends the block (x, y, w, h) of the image to the same place in the window.
  bool Put(XImage* image, int srcX, int srcY, int x, int y, int w, int h) {
    if (lost) {
      destroyed = true;
      return false;
    }
    XPutImage(dpy, window, gc, image, srcX, srcY, x, y, unsigned(w), unsigned(h));
    if (x11::SyncAndTakeError(dpy) != Success || lost) destroyed = true;
    return !destroyed;
  }
};

ForeignWindow::ForeignWindow(unsigned long windowId) : impl_(std::make_unique<Impl>()) {
  impl_->dpy = XOpenDisplay(nullptr);
  if (!impl_->dpy) throw std::runtime_error("cannot connect to the X server (is DISPLAY set?)");
  x11::TrapErrors(impl_->dpy);
  x11::TrapIoErrors(impl_->dpy, &impl_->lost);
  impl_->window = Window(windowId);
  auto attrs = impl_->Attributes();
  if (!attrs) throw std::runtime_error("there is no X window with id " + std::to_string(windowId));
  impl_->width = attrs->width;
  impl_->height = attrs->height;
  impl_->format.emplace(impl_->dpy, attrs->visual, attrs->depth);
  // Only our own connection's interest: size changes and destruction of the host window.
  XSelectInput(impl_->dpy, impl_->window, StructureNotifyMask);
  impl_->gc = XCreateGC(impl_->dpy, impl_->window, 0, nullptr);
  if (x11::SyncAndTakeError(impl_->dpy) != Success || !impl_->gc) {
    throw std::runtime_error("cannot draw into X window " + std::to_string(windowId));
  }
}

ForeignWindow::~ForeignWindow() = default;

unsigned long ForeignWindow::id() const { return impl_->window; }
int ForeignWindow::width() const { return impl_->width; }
int ForeignWindow::height() const { return impl_->height; }

bool ForeignWindow::Viewable() {
  auto attrs = impl_->Attributes();
  if (!attrs) {
    impl_->destroyed = true;
    throw std::runtime_error("the X window " + std::to_string(impl_->window) + " has gone");
  }
  impl_->width = attrs->width;
  impl_->height = attrs->height;
  return attrs->map_state == IsViewable;
}

bool ForeignWindow::WaitUntilViewable(std::chrono::milliseconds limit,
                                      std::chrono::milliseconds pause) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!Viewable()) {
    if (std::chrono::steady_clock::now() >= deadline || TerminationRequested()) return false;
    std::this_thread::sleep_for(pause);
  }
  return true;
}

void ForeignWindow::DrawStretched(const Bitmap32& picture) {
  const int w = impl_->width;
  const int h = impl_->height;
  if (w <= 0 || h <= 0 || picture.empty()) return;
  XImage* image = impl_->format->CreateImage(w, h);
  impl_->format->FillScaled(image, w, h, picture, RectFromSize(0, 0, picture.width(), picture.height()));
  const bool drawn = impl_->Put(image, 0, 0, 0, 0, w, h);
  x11::XPixelFormat::DestroyImage(image, true);
  if (!drawn) throw std::runtime_error("the X server refused drawing into the window");
}

bool ForeignWindow::DrawArea(const Bitmap32& frame, const Rect& area) {
  const Rect r = Intersect(area, RectFromSize(0, 0, frame.width(), frame.height()));
  if (impl_->destroyed) return false;
  if (r.empty()) return true;
  const x11::XPixelFormat& format = *impl_->format;
  if (format.sameAsBitmap32()) {
    // The frame's rows are sent as they are; the image only borrows them.
    XImage* image = format.WrapPixels(const_cast<Pixel*>(frame.data()), frame.width(),
                                      frame.height(), frame.stride());
    const bool drawn = impl_->Put(image, r.left, r.top, r.left, r.top, r.width(), r.height());
    x11::XPixelFormat::DestroyImage(image, false);
    return drawn;
  }
  XImage* image = format.CreateImage(r.width(), r.height());
  format.FillScaled(image, r.width(), r.height(), frame, r);
  const bool drawn = impl_->Put(image, 0, 0, r.left, r.top, r.width(), r.height());
  x11::XPixelFormat::DestroyImage(image, true);
  return drawn;
}

bool ForeignWindow::StillThere() {
  ::Display* dpy = impl_->dpy;
  while (!impl_->destroyed && !impl_->lost && XPending(dpy) > 0) {
    XEvent event;
    XNextEvent(dpy, &event);
    if (event.type == DestroyNotify && event.xdestroywindow.window == impl_->window) {
      impl_->destroyed = true;
    } else if (event.type == ConfigureNotify && event.xconfigure.window == impl_->window) {
      impl_->width = event.xconfigure.width;
      impl_->height = event.xconfigure.height;
    }
  }
  // A server that went away takes the window with it.
  if (impl_->lost) impl_->destroyed = true;
  return !impl_->destroyed;
}

}  // namespace tp
