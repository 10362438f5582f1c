#pragma once
// The headless backend: an offscreen screen bitmap, a virtual clock, scripted input and
// recording audio, configured from TIDEPOOL_* environment variables (docs/headless.md).
#include <memory>

#include "platform/Platform.h"

namespace tp {

std::unique_ptr<Platform> CreateHeadlessPlatform();

}  // namespace tp
