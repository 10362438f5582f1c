#include "platform/x11/HostWindowPlatform.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "platform/x11/ForeignWindow.h"
#include "platform/x11/HostWindowDisplay.h"
#include "platform/TerminationSignals.h"
#include "platform/x11/WindowId.h"

namespace tp {
namespace {

// The desktop's run loop, checking on the host window between rounds of messages (at most
// every kHostCheckPeriod), so that a host that goes away is noticed also while the show
// draws nothing.
class HostCheckingRunLoop : public RunLoop {
 public:
  static constexpr std::chrono::milliseconds kHostCheckPeriod{200};

  HostCheckingRunLoop(RunLoop& inner, std::shared_ptr<HostWindowDisplay*> live)
      : inner_(inner), live_(std::move(live)) {}

  void PumpMessages() override {
    inner_.PumpMessages();
    CheckHost();
  }
  void WaitMessage() override {
    inner_.WaitMessage();
    CheckHost();
  }
  void Post(std::function<void()> fn) override { inner_.Post(std::move(fn)); }

 private:
  void CheckHost() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastCheck_ < kHostCheckPeriod) return;
    lastCheck_ = now;
    if (*live_) (*live_)->CheckHost();
  }

  RunLoop& inner_;
  std::shared_ptr<HostWindowDisplay*> live_;
  std::chrono::steady_clock::time_point lastCheck_{};
};

class HostWindowPlatform : public Platform {
 public:
  HostWindowPlatform(std::unique_ptr<Platform> desktop, unsigned long windowId)
      : desktop_(std::move(desktop)),
        windowId_(windowId),
        relay_(std::make_shared<CloseRelay>()),
        live_(std::make_shared<HostWindowDisplay*>(nullptr)),
        runLoop_(desktop_->runLoop(), live_) {
    ForeignWindow probe(windowId);
    width_ = probe.width();
    height_ = probe.height();
    // The watcher thread only posts; the request itself runs on the UI thread.
    signals_ = std::make_unique<TerminationSignals>([this] {
      desktop_->runLoop().Post([relay = relay_] { relay->RequestClose(); });
    });
  }

  const char* Name() const override { return desktop_->Name(); }
  Clock& clock() override { return desktop_->clock(); }
  RunLoop& runLoop() override { return runLoop_; }
  MessageBoxes& messageBoxes() override { return desktop_->messageBoxes(); }
  Shell& shell() override { return desktop_->shell(); }
  Desktop& desktop() override { return desktop_->desktop(); }
  AudioSystem& audio() override { return desktop_->audio(); }

  int ScreenWidth() const override { return width_; }
  int ScreenHeight() const override { return height_; }
  int DesktopBitDepth() const override { return 32; }

  // Whatever window the caller asks for, the show goes into the host window.
  std::unique_ptr<Display> CreateDisplay(const DisplayOptions& options, InputHandler* handler) override {
    return std::make_unique<HostWindowDisplay>(std::make_unique<ForeignWindow>(windowId_), handler,
                                               relay_, live_, options.movingViews);
  }

 private:
  std::unique_ptr<Platform> desktop_;
  unsigned long windowId_;
  int width_ = 0;
  int height_ = 0;
  std::shared_ptr<CloseRelay> relay_;
  std::shared_ptr<HostWindowDisplay*> live_;  // the display open now, if any
  HostCheckingRunLoop runLoop_;
  std::unique_ptr<TerminationSignals> signals_;  // last: stopped before the rest goes
};

}  // namespace

std::unique_ptr<Platform> CreateHostWindowPlatform(std::unique_ptr<Platform> desktop,
                                                   unsigned long windowId) {
  return std::make_unique<HostWindowPlatform>(std::move(desktop), windowId);
}

unsigned long RootWindowId() {
  ::Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) throw std::runtime_error("cannot connect to the X server (is DISPLAY set?)");
  unsigned long root = DefaultRootWindow(dpy);
  XCloseDisplay(dpy);
  return root;
}

std::optional<unsigned long> ScreensaverHostWindow() {
  const char* value = std::getenv("XSCREENSAVER_WINDOW");
  if (!value || !*value) return std::nullopt;
  auto id = ParseWindowId(value);
  if (!id) throw std::runtime_error(std::string("XSCREENSAVER_WINDOW is not a window id: ") + value);
  return id;
}

std::optional<unsigned long> ChooseHostWindow(const std::string& windowIdArgument, bool root) {
  if (!windowIdArgument.empty()) {
    auto id = ParseWindowId(windowIdArgument);
    if (!id) throw std::runtime_error("--window-id needs a window id, not \"" + windowIdArgument + "\"");
    return id;
  }
  if (root) return RootWindowId();
  return ScreensaverHostWindow();
}

}  // namespace tp
