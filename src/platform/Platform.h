#pragma once
// The machine as the layers above see it. One backend is chosen once at start
// (TIDEPOOL_PLATFORM=headless, else the desktop backend) and installed here; the logic
// layers never include a backend's header.
#include <memory>

#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/RunLoop.h"
#include "platform/Shell.h"

namespace tp {

class Platform {
 public:
  virtual ~Platform() = default;
  virtual const char* Name() const = 0;

  virtual Clock& clock() = 0;
  virtual RunLoop& runLoop() = 0;
  virtual MessageBoxes& messageBoxes() = 0;
  virtual Shell& shell() = 0;
  virtual Desktop& desktop() = 0;
  virtual AudioSystem& audio() = 0;

  // Primary screen size in pixels and the desktop's bits per pixel.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual int DesktopBitDepth() const = 0;
  // How many screens the desktop has (at least 1); DisplayOptions::screen counts them from
  // the primary, 0.
  virtual int ScreenCount() const { return 1; }

  // The saver's window; input goes to handler while the run loop pumps.
  virtual std::unique_ptr<Display> CreateDisplay(const DisplayOptions& options,
                                                 InputHandler* handler) = 0;
};

// The installed backend. Calling CurrentPlatform before InstallPlatform is a programming error.
Platform& CurrentPlatform();
bool HasPlatform();
void InstallPlatform(std::unique_ptr<Platform> platform);
std::unique_ptr<Platform> UninstallPlatform();

}  // namespace tp
