#pragma once
// Our 32-bit pixels (0xAARRGGBB) in the pixel layout of an X visual. Internal to
// platform/x11; includes Xlib.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp::x11 {

class XPixelFormat {
 public:
  XPixelFormat(::Display* dpy, Visual* visual, int depth);

  // True when a Bitmap32 row is already a valid row of a ZPixmap image of this visual
  // (depth 24 at 32 bits per pixel, red/green/blue masks 0xff0000/0xff00/0xff, the host's byte order),
  // so frames can be sent without conversion.
  bool sameAsBitmap32() const { return same_; }

  // A ZPixmap image of w x h whose data points at `pixels` (rows of `stride` pixels);
  // only valid when sameAsBitmap32(). Release with DestroyImage.
  XImage* WrapPixels(Pixel* pixels, int w, int h, int stride) const;
  // A ZPixmap image of w x h with its own buffer.
  XImage* CreateImage(int w, int h) const;
  static void DestroyImage(XImage* image, bool ownsData);

  // Fills `image` (w x h at its origin) from the block `source` of `src` scaled by
  // nearest-pixel sampling: image pixel i samples source pixel floor((2i + 1) * sw / (2w)).
  // Equal sizes copy 1:1.
  void FillScaled(XImage* image, int w, int h, const Bitmap32& src, const Rect& source) const;

  unsigned long Convert(Pixel p) const;

 private:
  struct Channel {
    int shift = 0;
    int bits = 0;
    unsigned long Place(unsigned value8) const;
  };

  ::Display* dpy_;
  Visual* visual_;
  int depth_;
  Channel red_, green_, blue_;
  unsigned long opaque_ = 0;  // alpha bits of a 32-deep visual, always set
  bool same_ = false;
};

}  // namespace tp::x11
