#include "platform/x11/GlxHostView.h"

#include <GL/glx.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/GpuChoice.h"
#include "platform/gl/GlViewPainter.h"
#include "platform/x11/XErrorTrap.h"

namespace tp {
namespace {

void* ResolveGlx(const char* name) {
  return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

}  // namespace

struct GlxHostView::Impl {
  ::Display* dpy = nullptr;
  std::atomic<bool> lost{false};
  Colormap colormap = 0;
  Window window = 0;
  GLXContext context = nullptr;
  GlViewPainter painter;
  bool painterReady = false;
  bool failed = false;
  int width = 0, height = 0;
  PictureView view;

  ~Impl() {
    if (!dpy) return;
    if (context && !lost) {
      if (painterReady && glXMakeCurrent(dpy, window, context)) painter.Release();
      glXMakeCurrent(dpy, None, nullptr);
      glXDestroyContext(dpy, context);
    }
    if (window && !lost) XDestroyWindow(dpy, window);
    if (colormap && !lost) XFreeColormap(dpy, colormap);
    if (!lost) XSync(dpy, False);
    x11::UntrapErrors(dpy);
    XCloseDisplay(dpy);
  }

  // A request failed or the connection broke: the CPU draws from here on.
  bool Check() {
    if (!failed && (lost || x11::SyncAndTakeError(dpy) != Success)) failed = true;
    return !failed;
  }

  void Swap() {
    if (failed) return;
    glXSwapBuffers(dpy, window);
    XFlush(dpy);
    if (lost) failed = true;
  }
};

GlxHostView::GlxHostView(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GlxHostView::~GlxHostView() = default;

std::unique_ptr<GlxHostView> GlxHostView::Open(unsigned long hostId, int width, int height, std::string* reason) {
  const char* setting = std::getenv("TIDEPOOL_GL");
  // Without a renderer the choice is "off", for TIDEPOOL_GL=0 or for no OpenGL.
  const auto off = [&]() -> std::unique_ptr<GlxHostView> {
    *reason = ChooseGpu("", setting).reason;
    return nullptr;
  };
  if (setting && std::string(setting) == "0") return off();
  auto impl = std::make_unique<Impl>();
  impl->dpy = XOpenDisplay(nullptr);
  if (!impl->dpy) return off();
  x11::TrapErrors(impl->dpy);
  x11::TrapIoErrors(impl->dpy, &impl->lost);
  int errorBase = 0, eventBase = 0;
  XWindowAttributes host;
  if (!glXQueryExtension(impl->dpy, &errorBase, &eventBase) || !XGetWindowAttributes(impl->dpy, hostId, &host))
    return off();
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
  XVisualInfo* visual = glXChooseVisual(impl->dpy, XScreenNumberOfScreen(host.screen), attributes);
  if (!visual) return off();
  impl->colormap = XCreateColormap(impl->dpy, hostId, visual->visual, AllocNone);
  XSetWindowAttributes set{};
  set.colormap = impl->colormap;
  set.background_pixel = 0;  // black until the first frame
  set.border_pixel = 0;
  set.event_mask = 0;  // the host's window keeps the input
  impl->window = XCreateWindow(impl->dpy, hostId, 0, 0, unsigned(std::max(1, width)), unsigned(std::max(1, height)),
                               0, visual->depth, InputOutput, visual->visual,
                               CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
  impl->context = glXCreateContext(impl->dpy, visual, nullptr, True);
  XFree(visual);
  if (!impl->Check() || !impl->context || !glXMakeCurrent(impl->dpy, impl->window, impl->context)) return off();
  impl->painterReady = impl->painter.Init(&ResolveGlx);
  // Swaps do not wait for the screen: presents are paced to its refresh as on the CPU path.
  using SwapIntervalExt = void (*)(::Display*, GLXDrawable, int);
  using SwapIntervalMesa = int (*)(unsigned);
  const char* extensions = glXQueryExtensionsString(impl->dpy, XScreenNumberOfScreen(host.screen));
  const std::string offered = std::string(extensions ? extensions : "") + " ";
  if (offered.find("GLX_EXT_swap_control ") != std::string::npos)
    reinterpret_cast<SwapIntervalExt>(ResolveGlx("glXSwapIntervalEXT"))(impl->dpy, impl->window, 0);
  else if (offered.find("GLX_MESA_swap_control ") != std::string::npos)
    reinterpret_cast<SwapIntervalMesa>(ResolveGlx("glXSwapIntervalMESA"))(0);
  const GpuChoice choice = ChooseGpu(impl->painterReady ? impl->painter.Renderer() : "", setting);
  *reason = choice.reason;
  if (!choice.use) return nullptr;
  impl->width = width;
  impl->height = height;
  XMapWindow(impl->dpy, impl->window);
  if (!impl->Check()) {
    *reason = "off (no OpenGL)";
    return nullptr;
  }
  return std::unique_ptr<GlxHostView>(new GlxHostView(std::move(impl)));
}

bool GlxHostView::failed() const { return impl_->failed; }

void GlxHostView::Resize(int width, int height) {
  if (impl_->failed || (width == impl_->width && height == impl_->height) || width <= 0 || height <= 0) return;
  impl_->width = width;
  impl_->height = height;
  XResizeWindow(impl_->dpy, impl_->window, unsigned(width), unsigned(height));
}

void GlxHostView::ShowScreen(const Bitmap32& screen, int y0, int y1) {
  if (impl_->failed) return;
  impl_->painter.UpdateScreen(screen, y0, y1);
  impl_->painter.DrawScreen(screen.width(), screen.height(), impl_->width, impl_->height);
  impl_->Swap();
}

bool GlxHostView::SetPicture(const MovingPicture& picture) {
  if (impl_->failed) return false;
  const bool ok = impl_->painter.SetPicture(picture);
  return impl_->Check() && ok;
}

void GlxHostView::ShowView(const PictureView& view, int W, int H) {
  if (impl_->failed) return;
  impl_->view = view;
  impl_->painter.DrawView(view, W, H, impl_->width, impl_->height);
  impl_->Swap();
}

bool GlxHostView::ReadView(int W, int H, Bitmap32& out) {
  if (impl_->failed || W != impl_->width || H != impl_->height) return false;
  // Drawn into the back buffer and read there; the next frame draws over it.
  impl_->painter.DrawView(impl_->view, W, H, W, H);
  impl_->painter.ReadPixels(W, H, out);
  return impl_->Check();
}

}  // namespace tp
