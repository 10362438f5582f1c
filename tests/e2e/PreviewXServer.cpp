#include "e2e/PreviewXServer.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

extern char** environ;

namespace tp::test {

XvfbServer::XvfbServer(bool makeDefault) {
  {
    int fds[2];
    if (pipe(fds) != 0) {
      error_ = "cannot create a pipe for Xvfb";
      return;
    }
    // The server writes its display number to the pipe once it accepts connections.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"),
                    const_cast<char*>("3"), const_cast<char*>("-screen"),
                    const_cast<char*>("0"), const_cast<char*>("640x480x24"),
                    const_cast<char*>("-nolisten"), const_cast<char*>("tcp"),
                    // Without it the server resets whenever its last client leaves and
                    // refuses connections meanwhile.
                    const_cast<char*>("-noreset"), nullptr};
    const int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
      close(fds[0]);
      pid_ = -1;
      error_ = "Xvfb is not installed (install the xvfb package to run the X11 tests)";
      return;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (number.empty()) {
      error_ = "Xvfb did not start";
      return;
    }
    name_ = ":" + number;
    if (makeDefault) setenv("DISPLAY", name_.c_str(), 1);
  }
}

XvfbServer::~XvfbServer() { Kill(); }

void XvfbServer::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

std::string StartXServer(std::string* why) {
  static XvfbServer server(true);
  if (why) *why = server.error();
  return server.name();
}

Bitmap32 ReadScreen() {
  ::Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return {};
  const int w = DisplayWidth(dpy, DefaultScreen(dpy)), h = DisplayHeight(dpy, DefaultScreen(dpy));
  XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  Bitmap32 out;
  if (image) {
    out.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) out.at(x, y) = Pixel(XGetPixel(image, x, y) & 0xffffff);
    XDestroyImage(image);
  }
  XCloseDisplay(dpy);
  return out;
}

HelperWindow::HelperWindow(int width, int height, unsigned long background, bool mapped)
    : width_(width), height_(height) {
  dpy_ = XOpenDisplay(nullptr);
  if (!dpy_) throw std::runtime_error("cannot connect to the test X server");
  window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 10, 10, unsigned(width),
                                unsigned(height), 0, 0, background);
  if (mapped) Map();
  XSync(dpy_, False);
}

HelperWindow::~HelperWindow() {
  Destroy();
  XCloseDisplay(dpy_);
}

void HelperWindow::Map() {
  XMapWindow(dpy_, window_);
  XSync(dpy_, False);
}

void HelperWindow::Destroy() {
  if (!window_) return;
  XDestroyWindow(dpy_, window_);
  XSync(dpy_, False);
  window_ = 0;
}

Bitmap32 HelperWindow::Read() {
  XImage* image = XGetImage(dpy_, window_, 0, 0, unsigned(width_), unsigned(height_), AllPlanes,
                            ZPixmap);
  if (!image) throw std::runtime_error("cannot read the helper window back");
  Bitmap32 out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) out.at(x, y) = Pixel(XGetPixel(image, x, y) & 0xffffff);
  }
  XDestroyImage(image);
  return out;
}

bool NearColour(Pixel a, Pixel b, int tolerance) {
  auto near = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
  return near(PixelR(a), PixelR(b)) && near(PixelG(a), PixelG(b)) && near(PixelB(a), PixelB(b));
}

}  // namespace tp::test
