#include "platform/x11/XPixelFormat.h"

#include <bit>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace tp::x11 {
namespace {

int LowestBit(unsigned long mask) { return mask ? std::countr_zero(mask) : 0; }
int BitCount(unsigned long mask) { return std::popcount(mask); }

// Source index of each of `count` destination pixels spread over `sourceCount`.
std::vector<int> SampleTable(int count, int sourceStart, int sourceCount) {
  std::vector<int> table(size_t(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) {
    long long s = (2LL * i + 1) * sourceCount / (2LL * count);
    table[size_t(i)] = sourceStart + int(s);
  }
  return table;
}

}  // namespace

unsigned long XPixelFormat::Channel::Place(unsigned value8) const {
  if (bits <= 0) return 0;
  unsigned long maxValue = (1UL << bits) - 1;
  unsigned long scaled = bits == 8 ? value8 : (value8 * maxValue + 127) / 255;
  return scaled << shift;
}

XPixelFormat::XPixelFormat(::Display* dpy, Visual* visual, int depth)
    : dpy_(dpy), visual_(visual), depth_(depth) {
  if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
    throw std::runtime_error("the window's visual is not a true-colour visual");
  }
  red_ = {LowestBit(visual->red_mask), BitCount(visual->red_mask)};
  green_ = {LowestBit(visual->green_mask), BitCount(visual->green_mask)};
  blue_ = {LowestBit(visual->blue_mask), BitCount(visual->blue_mask)};

  XImage* probe = CreateImage(1, 1);
  const bool hostLittleEndian = std::endian::native == std::endian::little;
  // A 32-deep visual has an alpha channel: our fourth byte is not alpha, so such windows
  // always get converted pixels with the alpha bits set (opaque).
  if (depth == 32) {
    opaque_ = 0xffffffffUL & ~(visual->red_mask | visual->green_mask | visual->blue_mask);
  }
  same_ = depth == 24 && probe->bits_per_pixel == 32 && visual->red_mask == 0xff0000 &&
          visual->green_mask == 0xff00 && visual->blue_mask == 0xff &&
          (probe->byte_order == LSBFirst) == hostLittleEndian;
  DestroyImage(probe, true);
}

unsigned long XPixelFormat::Convert(Pixel p) const {
  return red_.Place(PixelR(p)) | green_.Place(PixelG(p)) | blue_.Place(PixelB(p)) | opaque_;
}

XImage* XPixelFormat::WrapPixels(Pixel* pixels, int w, int h, int stride) const {
  XImage* image = XCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, 0,
                               reinterpret_cast<char*>(pixels), unsigned(w), unsigned(h), 32,
                               stride * 4);
  if (!image) throw std::runtime_error("cannot create an X image");
  return image;
}

XImage* XPixelFormat::CreateImage(int w, int h) const {
  XImage* image = XCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, 0, nullptr,
                               unsigned(w), unsigned(h), 32, 0);
  if (!image) throw std::runtime_error("cannot create an X image");
  image->data = static_cast<char*>(std::calloc(size_t(image->bytes_per_line) * size_t(h ? h : 1), 1));
  if (!image->data) {
    XDestroyImage(image);
    throw std::runtime_error("out of memory for an X image");
  }
  return image;
}

void XPixelFormat::DestroyImage(XImage* image, bool ownsData) {
  if (!image) return;
  if (!ownsData) image->data = nullptr;  // XDestroyImage would free the borrowed pixels
  XDestroyImage(image);
}

void XPixelFormat::FillScaled(XImage* image, int w, int h, const Bitmap32& src,
                              const Rect& source) const {
  if (w <= 0 || h <= 0 || source.empty()) return;
  const std::vector<int> columns = SampleTable(w, source.left, source.width());
  for (int y = 0; y < h; ++y) {
    const int sy = int((2LL * y + 1) * source.height() / (2LL * h)) + source.top;
    const Pixel* row = src.scanline(sy);
    if (same_) {
      auto* out = reinterpret_cast<uint32_t*>(image->data + size_t(y) * size_t(image->bytes_per_line));
      for (int x = 0; x < w; ++x) out[x] = row[columns[size_t(x)]] & 0x00ffffffu;
    } else {
      for (int x = 0; x < w; ++x) XPutPixel(image, x, y, Convert(row[columns[size_t(x)]]));
    }
  }
}

}  // namespace tp::x11
