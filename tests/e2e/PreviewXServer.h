#pragma once
// A private Xvfb server for the tests that draw into X windows, and helper windows on it.
// The server is started once per test process (on a display number it picks itself) and
// DISPLAY is pointed at it, so the code under test and child processes use it.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>

#include "imaging/Bitmap32.h"

namespace tp::test {

// An Xvfb server of its own (on a display number it picks itself); makeDefault points
// DISPLAY at it.
class XvfbServer {
 public:
  explicit XvfbServer(bool makeDefault);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  // ":N", or empty when the server could not be started (error() says why).
  const std::string& name() const { return name_; }
  const std::string& error() const { return error_; }
  // Ends the server (its clients lose their connections).
  void Kill();

 private:
  pid_t pid_ = -1;
  std::string name_;
  std::string error_;
};

// The running server's display name (":N"), or empty when Xvfb could not be started;
// `why` then says why.
std::string StartXServer(std::string* why);

// Skips the current test when there is no X server for it.
#define TP_REQUIRE_XSERVER()                                                   \
  do {                                                                         \
    std::string why_;                                                          \
    if (::tp::test::StartXServer(&why_).empty()) GTEST_SKIP() << why_;         \
  } while (0)

// A plain window of the test's own (its own connection), filled with `background`
// (0xRRGGBB), optionally mapped.
class HelperWindow {
 public:
  HelperWindow(int width, int height, unsigned long background, bool mapped = true);
  ~HelperWindow();
  HelperWindow(const HelperWindow&) = delete;
  HelperWindow& operator=(const HelperWindow&) = delete;

  unsigned long id() const { return window_; }
  std::string idText() const { return std::to_string(window_); }
  void Map();
  void Destroy();
  // What the window shows now, read back from the server.
  Bitmap32 Read();

 private:
  ::Display* dpy_ = nullptr;
  Window window_ = 0;
  int width_;
  int height_;
};

// What the whole X screen (the default display's root window) shows now; empty without
// a server.
Bitmap32 ReadScreen();

// True when every channel of a and b differs by at most tolerance.
bool NearColour(Pixel a, Pixel b, int tolerance);

}  // namespace tp::test
