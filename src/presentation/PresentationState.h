#pragma once
// What the saver window knows about the picture on screen and how it is presented.
// Shared by picture fitting, frame drawing and the transition driver.
#include <cstdint>
#include <string>

#include "imaging/Bitmap32.h"

namespace tp {

// The saver's shortest time between two frames, in milliseconds (about 30 frames a second).
constexpr uint32_t kFramePeriodMs = 33;

struct PresentationState {
  // Screen size (the primary display) in pixels.
  int screenWidth = 0;
  int screenHeight = 0;

  // Size-mode flags of the run and the scaled (full-screen) drawing path.
  bool stretch = true;
  bool proportional = false;
  bool directDrawInUse = false;  // the scaled path was requested and started
  int directXQuality = 0;        // working resolution of the scaled path (see WorkingResolution)

  // The current picture: plain (fitted picture below) or packaged (the animation engine's frame).
  bool plainPicture = true;
  int pictureWidth = 0;   // the size centring uses
  int pictureHeight = 0;
  Bitmap32 fittedPicture;     // the current plain picture after fitting; empty at start
  std::string shownFilePath;  // the picture whose content is on screen; empty at start

  // Tick at which the previous frame finished (frame pacing), and the shortest time between
  // frames (the saver's kFramePeriodMs; folder shows set their own rate).
  uint32_t lastFrameTick = 0;
  uint32_t framePeriodMs = kFramePeriodMs;
  // The fitted plain picture is on screen as it is now, so drawing it again would change
  // nothing. Whoever draws anything else on the display (a black clear, a transition, a new
  // picture) clears it.
  bool frameOnScreen = false;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// The scaled path's working resolution for a quality level: 0 gives 1024x768, 1 gives
// 800x600, 2 gives 640x480; any other value gives 800x600.
Size WorkingResolution(int quality);

// The largest size with the aspect ratio of w x h inside targetW x targetH.
Size FitProportional(int w, int h, int targetW, int targetH);

// Where the picture's top-left corner goes on the screen: centred when the picture keeps
// its own size or its proportions, (0, 0) when it is stretched over the whole screen.
Point PresentationOffset(const PresentationState& state);

}  // namespace tp
