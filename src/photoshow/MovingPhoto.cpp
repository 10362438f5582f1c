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

namespace {

// The fill (black when the background is not the frame's size) where the view leaves the
// frame uncovered: the bands above and below it and the pieces beside it, nothing more.
void DrawFillAround(const Bitmap32& background, const Rect& view, Bitmap32& frame) {
  const int W = frame.width(), H = frame.height();
  const bool black = background.width() != W || background.height() != H;
  const int left = std::clamp(view.left, 0, W), right = std::clamp(view.right, left, W);
  const int top = std::clamp(view.top, 0, H), bottom = std::clamp(view.bottom, top, H);
  const auto piece = [&](int y, int x0, int x1) {
    if (x1 <= x0) return;
    auto* to = frame.scanline(y) + x0;
    if (black) std::fill(to, to + (x1 - x0), Pixel(0));
    else std::copy(background.scanline(y) + x0, background.scanline(y) + x1, to);
  };
  for (int y = 0; y < H; ++y) {
    if (y < top || y >= bottom) {
      piece(y, 0, W);
    } else {
      piece(y, 0, left);
      piece(y, right, W);
    }
  }
}

}  // namespace

void DrawMovingFrame(const MovingPhoto& p, const PictureView& view, Bitmap32& frame) {
  if (frame.empty()) return;
  if (p.picture.empty()) {
    frame.Fill(0);
    return;
  }
  const Rect to = RectFromSize(view.x, view.y, view.width, view.height);
  DrawFillAround(p.background, to, frame);
  // From the original's pixels to the prepared picture's.
  const double kx = double(p.picture.width()) / p.originalWidth, ky = double(p.picture.height()) / p.originalHeight;
  DrawScaledView(p.picture, {view.sourceX * kx, view.sourceY * ky, view.sourceWidth * kx, view.sourceHeight * ky},
                 frame, to);
}

}  // namespace tp
