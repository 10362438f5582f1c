#pragma once
// The show inside a host's window: the desktop platform's clock, run loop, audio, message
// boxes and shell, with a screen the size of the host window and displays that draw into
// it. SIGTERM and SIGINT, from the moment the platform is created, become a close request
// of the open display (or of the next one), so the run ends through its ordinary clean-up.
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace tp {

// Throws std::runtime_error when there is no X server or no such window.
std::unique_ptr<Platform> CreateHostWindowPlatform(std::unique_ptr<Platform> desktop,
                                                   unsigned long windowId);

// The root window of the default screen of the X server named by DISPLAY; throws
// std::runtime_error when there is no X server.
unsigned long RootWindowId();

// The window named by XSCREENSAVER_WINDOW (decimal or 0x hex), nullopt when it is unset
// or empty; throws std::runtime_error when it is set to something that is not a window id.
std::optional<unsigned long> ScreensaverHostWindow();

// The window a show should run in instead of a window of its own: the --window-id
// argument when given (decimal or 0x hex; throws std::runtime_error when it is not a
// window id), else the root window with --root, else XSCREENSAVER_WINDOW; nullopt when
// none of them is set.
std::optional<unsigned long> ChooseHostWindow(const std::string& windowIdArgument, bool root);

}  // namespace tp
