#pragma once
// The desktop backend on Qt Widgets: message boxes, clock, run loop, shell, wallpaper and
// the saver window.
#include <memory>

#include "platform/Platform.h"

namespace tp {

// Creates the QApplication when none exists yet (argc and argv must outlive the platform).
// Without an audio system the show runs silent.
std::unique_ptr<Platform> CreateQtPlatform(int& argc, char** argv, std::unique_ptr<AudioSystem> audio = nullptr);

}  // namespace tp
