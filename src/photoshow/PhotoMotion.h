#pragma once
// How a folder show's picture moves over its time on screen, as pure maths: a picture much
// wider or taller than the screen pans along its long side; one near the screen's shape
// zooms between its resting size and a little more. Positions come from the time alone, so a
// late frame shows where the picture should be now, and the motion eases in and out so that
// it is at rest when a transition meets it. Never magnified beyond the picture's own pixels,
// except as far as fitting a small picture already magnifies it.
#include <cstdint>
#include <string_view>

#include "photoshow/PhotoFill.h"
#include "platform/PictureView.h"

namespace tp {

enum class PhotoMotion { Off, Gentle, Strong };

// "off", "gentle" or "strong" in any case; false for anything else.
bool ParsePhotoMotion(std::string_view text, PhotoMotion& out);
const char* PhotoMotionName(PhotoMotion motion);

// The most a zoom enlarges a picture over its resting size: 1, 1.15 or 1.35.
double MaxZoom(PhotoMotion motion);

// A picture whose shape is this many times wider or taller than the screen's pans.
constexpr double kPanShape = 1.5;
// A pan crosses at most this many screens, so a long panorama is never prepared larger.
constexpr double kMaxPanScreens = 6;

// One end of a path: screen pixels per picture pixel, and the picture point (in its own
// pixels) at the middle of the screen.
struct MotionStop {
  double scale = 1, centreX = 0, centreY = 0;
  bool operator==(const MotionStop&) const = default;
};

struct MotionPath {
  int pictureWidth = 0, pictureHeight = 0;  // upright, in its own pixels
  int screenWidth = 0, screenHeight = 0;
  MotionStop start, end;
  bool Still() const { return start == end; }
  double LargestScale() const { return start.scale > end.scale ? start.scale : end.scale; }
};

// The random draws a path is made from, each in [0, 1]: whether a zoom goes in, or a pan
// forwards, and where the ends lie within the room the picture leaves.
struct MotionChoices {
  bool reverse = false;
  double startX = 0.5, startY = 0.5, endX = 0.5, endY = 0.5;
};

// The path of a w x h picture on a W x H screen with the given fill (crop covers the
// screen when within its limit, the others fit) and motion. Off, or any size not positive,
// gives a still path at the resting size.
MotionPath PlanMotion(int w, int h, int W, int H, PhotoFill fill, int cropLimitPercent, PhotoMotion motion,
                      const MotionChoices& choices);

// The eased progress (0..1) elapsedMs into a picture's durationMs: at rest at both ends.
double MotionProgress(uint32_t elapsedMs, uint32_t durationMs);

// Where the path is at eased progress u (0..1): its scale and the picture point at the
// middle of the screen.
MotionStop StopOf(const MotionPath& path, double u);

// What the screen shows of the picture at eased progress u: the screen rectangle it covers
// (at least one pixel each way) and the part of the picture in it.
PictureView ViewAt(const MotionPath& path, double u);

}  // namespace tp
