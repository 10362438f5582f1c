#include "imaging/ScaledView.h"

#include <pixman.h>

#include <algorithm>
#include <cstdlib>

namespace tp {
namespace {

pixman_image_t* Wrap(const Bitmap32& b) {
  // pixman reads the source only; it takes a mutable pointer for either use.
  auto* pixels = const_cast<uint32_t*>(b.data());
  return pixman_image_create_bits(PIXMAN_x8r8g8b8, b.width(), b.height(), pixels, b.stride() * 4);
}

// Bilinear within one pixel of 1:1; a tent filter of the shrink's width beyond it.
void SetFilter(pixman_image_t* image, double kx, double ky) {
  if (kx <= 1.001 && ky <= 1.001) {
    pixman_image_set_filter(image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    return;
  }
  int count = 0;
  pixman_fixed_t* params = pixman_filter_create_separable_convolution(
      &count, pixman_double_to_fixed(std::max(kx, 1.0)), pixman_double_to_fixed(std::max(ky, 1.0)),
      PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_LINEAR, PIXMAN_KERNEL_LINEAR, 4, 4);
  if (params == nullptr) {
    pixman_image_set_filter(image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    return;
  }
  pixman_image_set_filter(image, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
  std::free(params);
}

}  // namespace

void DrawScaledView(const Bitmap32& src, const SourceRect& part, Bitmap32& dst, const Rect& to) {
  if (src.empty() || dst.empty() || to.empty() || part.width <= 0 || part.height <= 0) return;
  const Rect clipped = Intersect(to, Rect{0, 0, dst.width(), dst.height()});
  if (clipped.empty()) return;
  // Destination pixel centres (relative to `to`) map to source points.
  const double kx = part.width / to.width(), ky = part.height / to.height();
  pixman_image_t* s = Wrap(src);
  pixman_image_t* d = Wrap(dst);
  if (s == nullptr || d == nullptr) {
    if (s) pixman_image_unref(s);
    if (d) pixman_image_unref(d);
    return;
  }
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(kx);
  t.matrix[0][2] = pixman_double_to_fixed(part.x);
  t.matrix[1][1] = pixman_double_to_fixed(ky);
  t.matrix[1][2] = pixman_double_to_fixed(part.y);
  pixman_image_set_transform(s, &t);
  pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
  SetFilter(s, kx, ky);
  pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, clipped.left - to.left, clipped.top - to.top, 0, 0,
                           clipped.left, clipped.top, clipped.width(), clipped.height());
  pixman_image_unref(s);
  pixman_image_unref(d);
}

}  // namespace tp
