#include "photoshow/PhotoComposition.h"

#include <algorithm>
#include <utility>

#include "imaging/BlurredFill.h"
#include "imaging/Draw.h"
#include "imaging/Resample.h"

namespace tp {
namespace {

FitSettings PhotoFit(int W, int H) {
  FitSettings fit;
  fit.screenWidth = W;
  fit.screenHeight = H;
  fit.stretch = true;
  fit.proportional = true;
  return fit;
}

// The picture cut to the screen's shape and resampled to cover it.
ComposedPhoto Cropped(const Bitmap32& upright, int W, int H) {
  const Rect part = CoveringPart(upright.width(), upright.height(), W, H);
  Bitmap32 cut;
  cut.SetSizeUninitialized(part.width(), part.height());
  Copy(cut, 0, 0, part.width(), part.height(), upright, part.left, part.top);
  ComposedPhoto c;
  c.shown.picture.SetSizeUninitialized(W, H);
  StretchLanczos(cut, c.shown.picture);
  c.shown.width = W;
  c.shown.height = H;
  c.view = {0, 0, W, H, double(part.left), double(part.top), double(part.width()), double(part.height())};
  return c;
}

}  // namespace

double CropCut(int w, int h, int W, int H) {
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return 0;
  const double a = double(w) * H, b = double(h) * W;  // the two shapes, on a common scale
  return 1.0 - std::min(a, b) / std::max(a, b);
}

PhotoFill FillFor(int w, int h, int W, int H, const PhotoLook& look) {
  if (look.fill != PhotoFill::Crop) return look.fill;
  // A hair of tolerance, so that a cut of exactly the limit counts as within it.
  return CropCut(w, h, W, H) * 100.0 <= look.cropLimitPercent + 1e-9 ? PhotoFill::Crop : PhotoFill::Blur;
}

ComposedPhoto ComposePhoto(Bitmap32 upright, int originalWidth, int originalHeight, int W, int H,
                           const PhotoLook& look) {
  const int w = upright.width(), h = upright.height();
  if (originalWidth <= 0 || originalHeight <= 0) {
    originalWidth = w;
    originalHeight = h;
  }
  const PhotoFill fill = FillFor(w, h, W, H, look);
  ComposedPhoto c;
  if (fill == PhotoFill::Crop) {
    c = Cropped(upright, W, H);
  } else {
    c.shown = FitDecodedPicture(std::move(upright), PhotoFit(W, H));
    const int fw = c.shown.picture.width(), fh = c.shown.picture.height();
    // Centred as the presentation centres the fitted picture (the odd pixel to the right).
    const int x = (W - fw) / 2, y = (H - fh) / 2;
    c.view = {x, y, fw, fh, 0, 0, double(w), double(h)};
    if (fill == PhotoFill::Blur && (fw < W || fh < H)) {
      Bitmap32 screen = BlurredFill(c.shown.picture, W, H);
      Copy(screen, x, y, fw, fh, c.shown.picture, 0, 0);
      c.shown.picture = std::move(screen);
      c.shown.width = W;
      c.shown.height = H;
    }
  }
  // From the decoded picture's pixels to the original's.
  const double sx = double(originalWidth) / w, sy = double(originalHeight) / h;
  c.view.sourceX *= sx;
  c.view.sourceWidth *= sx;
  c.view.sourceY *= sy;
  c.view.sourceHeight *= sy;
  return c;
}

}  // namespace tp
