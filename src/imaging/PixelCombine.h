#pragma once
// Pixel-combine handlers and the stretch-draw that passes every drawn pixel through one.
// A handler is any type with `void operator()(Pixel& dst, Pixel src) const`; StretchDraw
// is a template on it, so the combine is inlined (no call per pixel through a pointer).
#include <cstdint>

#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

// (s * m + d * (255 - m)) div 255 for one 8-bit channel, m in 0..255.
constexpr uint32_t MixChannel(uint32_t s, uint32_t d, uint32_t m) {
  return (s * m + d * (255 - m)) / 255;
}

// Mixes the colour channels of src over dst with weight m (0..255); the result's fourth
// byte is m.
constexpr Pixel MixPixel(Pixel dst, Pixel src, uint32_t m) {
  return (m << 24) | (MixChannel((src >> 16) & 0xFF, (dst >> 16) & 0xFF, m) << 16) |
         (MixChannel((src >> 8) & 0xFF, (dst >> 8) & 0xFF, m) << 8) |
         MixChannel(src & 0xFF, dst & 0xFF, m);
}

// Plain copy.
struct CopyCombine {
  void operator()(Pixel& d, Pixel s) const { d = s; }
};

// Still-picture objects: a pixel equal to `key` in all 32 bits is skipped when
// `transparent` is set; every other pixel is mixed with the master alpha.
struct KeyedAlphaCombine {
  uint8_t masterAlpha = 255;
  bool transparent = false;
  Pixel key = 0;
  void operator()(Pixel& d, Pixel s) const {
    if (transparent && s == key) return;
    d = MixPixel(d, s, masterAlpha);
  }
};

// The colour an animated-GIF buffer is filled with before frames are painted into it;
// pixels still holding it are never drawn.
constexpr Pixel kGifFillColor = 0x00FFFF00;

// Animated-GIF objects: pixels equal to kGifFillColor are skipped, others mixed with the
// master alpha.
struct GifAlphaCombine {
  uint8_t masterAlpha = 255;
  void operator()(Pixel& d, Pixel s) const {
    if (s == kGifFillColor) return;
    d = MixPixel(d, s, masterAlpha);
  }
};

namespace detail {
// Column/row lookup shared by the nearest-pixel scalers: fills map[i] (i over the visible
// destination range) with the source index, or -1 when the sample is outside the source.
// Returns false when nothing is visible. Defined in Draw.cpp.
struct StretchPlan {
  int dstX0, dstX1, dstY0, dstY1;  // visible destination span [x0, x1), [y0, y1)
  const int* colMap;               // indexed by x - dstX0
  const int* rowMap;               // indexed by y - dstY0
};
bool PlanStretch(int dstW, int dstH, const Rect& clip, int dx, int dy, int dw, int dh, int srcW,
                 int srcH, int sx, int sy, int sw, int sh, StretchPlan& plan);
}  // namespace detail

// Stretches the block (sx, sy, sw, sh) of src into the block (dx, dy, dw, dh) of dst with
// nearest-pixel sampling (same mapping and mirroring rules as Stretch in Draw.h), passing
// each drawn pixel through combine(dstPixel, srcPixel). Only pixels inside clip (and dst)
// are touched.
template <class Combine>
void StretchDraw(Bitmap32& dst, const Rect& clip, int dx, int dy, int dw, int dh,
                 const Bitmap32& src, int sx, int sy, int sw, int sh, const Combine& combine) {
  detail::StretchPlan plan;
  if (!detail::PlanStretch(dst.width(), dst.height(), clip, dx, dy, dw, dh, src.width(),
                           src.height(), sx, sy, sw, sh, plan))
    return;
  for (int y = plan.dstY0; y < plan.dstY1; ++y) {
    int syy = plan.rowMap[y - plan.dstY0];
    if (syy < 0) continue;
    const Pixel* srow = src.scanline(syy);
    Pixel* drow = dst.scanline(y);
    for (int x = plan.dstX0; x < plan.dstX1; ++x) {
      int sxx = plan.colMap[x - plan.dstX0];
      if (sxx >= 0) combine(drow[x], srow[sxx]);
    }
  }
}

// The same over the whole of dst as clip.
template <class Combine>
void StretchDraw(Bitmap32& dst, int dx, int dy, int dw, int dh, const Bitmap32& src, int sx,
                 int sy, int sw, int sh, const Combine& combine) {
  StretchDraw(dst, Rect{0, 0, dst.width(), dst.height()}, dx, dy, dw, dh, src, sx, sy, sw, sh,
              combine);
}

// Blended drawing of single pixels and line segments (weather particles): colour's
// channels are mixed into the destination with weight alpha (0..255) as MixChannel does;
// the destination's fourth byte is kept. Pixels outside clip or the bitmap are skipped.
void BlendPixel(Bitmap32& bmp, int x, int y, Pixel color, int alpha);
void BlendPixel(Bitmap32& bmp, const Rect& clip, int x, int y, Pixel color, int alpha);
// Every pixel of the segment from (x0, y0) to (x1, y1), both ends included, each drawn
// once (Bresenham stepping).
void BlendLine(Bitmap32& bmp, int x0, int y0, int x1, int y1, Pixel color, int alpha);
void BlendLine(Bitmap32& bmp, const Rect& clip, int x0, int y0, int x1, int y1, Pixel color,
               int alpha);

}  // namespace tp
