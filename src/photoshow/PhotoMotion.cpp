#include "photoshow/PhotoMotion.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/TextUtil.h"
#include "photoshow/PhotoComposition.h"

namespace tp {
namespace {

double Lerp(double a, double b, double u) { return a + (b - a) * u; }

// Where a picture point may sit at the middle of the screen along one axis: the picture
// covers the screen along it when it is larger than the screen, else it is centred.
double ClampCentre(double c, double scale, int length, int screen) {
  const double half = screen / (2.0 * scale);
  if (length * scale <= screen) return length / 2.0;
  return std::clamp(c, half, length - half);
}

// A stop at scale whose centre lies at fractions fx, fy of the room the picture leaves.
MotionStop StopAt(double scale, double fx, double fy, int w, int h, int W, int H) {
  const double hx = W / (2.0 * scale), hy = H / (2.0 * scale);
  MotionStop s{scale, w / 2.0, h / 2.0};
  if (w * scale > W) s.centreX = Lerp(hx, w - hx, std::clamp(fx, 0.0, 1.0));
  if (h * scale > H) s.centreY = Lerp(hy, h - hy, std::clamp(fy, 0.0, 1.0));
  return s;
}

}  // namespace

bool ParsePhotoMotion(std::string_view text, PhotoMotion& out) {
  const std::string t = LowerAscii(text);
  for (PhotoMotion m : {PhotoMotion::Off, PhotoMotion::Gentle, PhotoMotion::Strong})
    if (t == PhotoMotionName(m)) {
      out = m;
      return true;
    }
  return false;
}

const char* PhotoMotionName(PhotoMotion motion) {
  switch (motion) {
    case PhotoMotion::Off: return "off";
    case PhotoMotion::Gentle: return "gentle";
    case PhotoMotion::Strong: return "strong";
  }
  return "gentle";
}

double MaxZoom(PhotoMotion motion) {
  switch (motion) {
    case PhotoMotion::Off: return 1.0;
    case PhotoMotion::Gentle: return 1.15;
    case PhotoMotion::Strong: return 1.35;
  }
  return 1.0;
}

MotionPath PlanMotion(int w, int h, int W, int H, PhotoFill fill, int cropLimitPercent, PhotoMotion motion,
                      const MotionChoices& choices) {
  MotionPath p{w, h, W, H, {}, {}};
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return p;
  const double fit = std::min(double(W) / w, double(H) / h);
  const double cover = std::max(double(W) / w, double(H) / h);
  PhotoLook look;
  look.fill = fill;
  look.cropLimitPercent = cropLimitPercent;
  const double rest = FillFor(w, h, W, H, look) == PhotoFill::Crop ? cover : fit;
  // Motion may enlarge up to the picture's own pixels, or as far as fitting already did.
  const double ceiling = std::max(rest, 1.0);
  const double shape = (double(w) / h) / (double(W) / H);
  if (motion == PhotoMotion::Off) {
    p.start = p.end = StopAt(rest, 0.5, 0.5, w, h, W, H);
  } else if (shape >= kPanShape || shape <= 1.0 / kPanShape) {
    // Covering the screen across the short side, along the long side from end to end.
    const double screens = shape >= 1 ? kMaxPanScreens * W / w : kMaxPanScreens * H / h;
    const double scale = std::min({cover, ceiling, std::max(screens, rest)});
    const double from = choices.reverse ? 1.0 : 0.0;
    p.start = StopAt(scale, from, from, w, h, W, H);
    p.end = StopAt(scale, 1.0 - from, 1.0 - from, w, h, W, H);
  } else {
    const double near = rest, far = std::min(rest * MaxZoom(motion), ceiling);
    const double s0 = choices.reverse ? far : near, s1 = choices.reverse ? near : far;
    p.start = StopAt(s0, choices.startX, choices.startY, w, h, W, H);
    p.end = StopAt(s1, choices.endX, choices.endY, w, h, W, H);
  }
  return p;
}

double MotionProgress(uint32_t elapsedMs, uint32_t durationMs) {
  if (durationMs == 0) return 1.0;
  const double t = std::clamp(double(elapsedMs) / durationMs, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);  // smoothstep: no speed at either end
}

MotionStop StopOf(const MotionPath& p, double u) {
  const int w = p.pictureWidth, h = p.pictureHeight, W = p.screenWidth, H = p.screenHeight;
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return p.start;
  u = std::clamp(u, 0.0, 1.0);
  // Scale changes geometrically, so a zoom looks even; the centre follows in a line.
  const double s0 = p.start.scale, s1 = p.end.scale;
  const double scale = s0 == s1 ? s0 : s0 * std::pow(s1 / s0, u);
  return {scale, ClampCentre(Lerp(p.start.centreX, p.end.centreX, u), scale, w, W),
          ClampCentre(Lerp(p.start.centreY, p.end.centreY, u), scale, h, H)};
}

PictureView ViewAt(const MotionPath& p, double u) {
  const int w = p.pictureWidth, h = p.pictureHeight, W = p.screenWidth, H = p.screenHeight;
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return {};
  const MotionStop stop = StopOf(p, u);
  const double scale = stop.scale, cx = stop.centreX, cy = stop.centreY;
  // The picture's left and top edges on the screen.
  const double left = W / 2.0 - cx * scale, top = H / 2.0 - cy * scale;
  const auto span = [scale](double edge, int length, int screen, int& at, int& size, double& from, double& extent) {
    int a = int(std::lround(std::max(0.0, edge)));
    int b = int(std::lround(std::min(double(screen), edge + length * scale)));
    a = std::clamp(a, 0, screen - 1);
    b = std::clamp(b, a + 1, screen);
    at = a;
    size = b - a;
    from = std::clamp((a - edge) / scale, 0.0, double(length));
    extent = std::clamp((b - edge) / scale, from, double(length)) - from;
  };
  PictureView v;
  span(left, w, W, v.x, v.width, v.sourceX, v.sourceWidth);
  span(top, h, H, v.y, v.height, v.sourceY, v.sourceHeight);
  return v;
}

}  // namespace tp
