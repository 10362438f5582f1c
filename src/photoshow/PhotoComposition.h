#pragma once
// A folder show's picture laid out on the screen: fitted keeping its shape with the chosen
// fill around it (a blurred copy of itself, or black bars), or cropped to cover the screen
// when that cuts little enough of it. Made once per picture, on the preparer's thread.
#include "imaging/Bitmap32.h"
#include "photoshow/PhotoFill.h"
#include "photoshow/PhotoMotion.h"
#include "platform/PictureView.h"
#include "presentation/PictureLoading.h"

namespace tp {

struct PhotoLook {
  PhotoFill fill = PhotoFill::Blur;
  int cropLimitPercent = kDefaultCropLimitPercent;  // 0..kMaxCropLimitPercent
  PhotoMotion motion = PhotoMotion::Off;
};

struct ComposedPhoto {
  // Screen-sized with a blurred fill or a crop; with bars (or a picture of the screen's
  // shape) the fitted picture alone, which the presentation centres.
  FittedPicture shown;
  PictureView view;
};

// The share (0..1) of a w x h picture that covering a W x H screen cuts away.
double CropCut(int w, int h, int W, int H);

// The fill a w x h picture gets on a W x H screen: a crop that would cut more than the
// limit becomes a blur.
PhotoFill FillFor(int w, int h, int W, int H, const PhotoLook& look);

// Lays out upright (a decoded picture, possibly smaller than the file's own size, which is
// originalWidth x originalHeight; 0 for unknown takes upright's) on a W x H screen. The view
// is given in the original's pixels.
ComposedPhoto ComposePhoto(Bitmap32 upright, int originalWidth, int originalHeight, int W, int H,
                           const PhotoLook& look);

}  // namespace tp
