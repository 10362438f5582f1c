#include "photoshow/MovingPhoto.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "imaging/BlurredFill.h"
#include "imaging/Resample.h"
#include "imaging/ScaledView.h"

namespace tp {

double LargestMotionScale(int w, int h, int W, int H, const PhotoLook& look) {
  return PlanMotion(w, h, W, H, look.fill, look.cropLimitPercent, look.motion, {}).LargestScale();
}

MotionPath PathOf(const MovingPhoto& p, const MotionChoices& choices) {
  return PlanMotion(p.originalWidth, p.originalHeight, p.screenWidth, p.screenHeight, p.look.fill,
                    p.look.cropLimitPercent, p.look.motion, choices);
}

MovingPhoto ComposeMoving(Bitmap32 upright, int originalWidth, int originalHeight, int W, int H,
                          const PhotoLook& look) {
  MovingPhoto m;
  if (originalWidth <= 0 || originalHeight <= 0) {
    originalWidth = upright.width();
    originalHeight = upright.height();
  }
  m.originalWidth = originalWidth;
  m.originalHeight = originalHeight;
  m.screenWidth = W;
  m.screenHeight = H;
  m.look = look;
  const MotionPath path = PathOf(m, {});
  // Shrunk here, once, with the good filter, to what the closest view needs.
  const double scale = std::min(1.0, path.LargestScale());
  const int tw = std::max(1, int(std::lround(originalWidth * scale)));
  const int th = std::max(1, int(std::lround(originalHeight * scale)));
  if (upright.width() > tw && upright.height() > th) {
    m.picture.SetSizeUninitialized(tw, th);
    StretchLanczos(upright, m.picture);
  } else {
    m.picture = std::move(upright);
  }
  // A fill only when some view leaves part of the screen to it.
  const double least = std::min(path.start.scale, path.end.scale);
  const bool uncovered = originalWidth * least < W - 0.5 || originalHeight * least < H - 0.5;
  if (uncovered && FillFor(originalWidth, originalHeight, W, H, look) == PhotoFill::Blur)
    m.background = BlurredFill(m.picture, W, H);
  return m;
}

void DrawMovingFrame(const MovingPhoto& p, const PictureView& view, Bitmap32& frame) {
  if (frame.empty()) return;
  if (p.picture.empty()) {
    frame.Fill(0);
    return;
  }
  const Rect to = RectFromSize(view.x, view.y, view.width, view.height);
  if (to.left > 0 || to.top > 0 || to.right < frame.width() || to.bottom < frame.height()) {
    if (p.background.width() == frame.width() && p.background.height() == frame.height())
      std::copy_n(p.background.data(), frame.pixelCount(), frame.data());
    else
      frame.Fill(0);
  }
  // From the original's pixels to the prepared picture's.
  const double kx = double(p.picture.width()) / p.originalWidth, ky = double(p.picture.height()) / p.originalHeight;
  DrawScaledView(p.picture, {view.sourceX * kx, view.sourceY * ky, view.sourceWidth * kx, view.sourceHeight * ky},
                 frame, to);
}

}  // namespace tp
