#pragma once
// The headless backend's settings, read once from the environment.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tp {

struct HeadlessOptions {
  int screenWidth = 1280;                 // TIDEPOOL_SCREEN=WxH
  int screenHeight = 1024;
  // TIDEPOOL_MORE_SCREENS=WxH[,WxH...]: screens beside the primary, at most 15.
  std::vector<std::pair<int, int>> moreScreens;
  bool realClock = false;                 // TIDEPOOL_REAL_CLOCK=1
  std::optional<uint32_t> runMs;          // TIDEPOOL_RUN_MS: close request at this time
  uint32_t presentMs = 10;                // TIDEPOOL_PRESENT_MS: virtual cost of a frame
  double refreshHz = 0;                   // TIDEPOOL_REFRESH_HZ: the screen's rate (0: none)
  std::string scriptPath;                 // TIDEPOOL_SCRIPT
  std::string frameLogPath;               // TIDEPOOL_FRAME_LOG
  std::string framesDir;                  // TIDEPOOL_FRAMES_DIR
  uint32_t framesEvery = 1;               // TIDEPOOL_FRAMES_EVERY
  bool confirmAnswer = true;              // TIDEPOOL_CONFIRM=no answers confirm boxes No
  bool scaledFails = false;               // TIDEPOOL_SCALED=fail: InitScaled fails

  static HeadlessOptions FromEnvironment();
};

}  // namespace tp
