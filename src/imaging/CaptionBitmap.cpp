#include "imaging/CaptionBitmap.h"

#include <algorithm>
#include <vector>

namespace tp {
namespace {

constexpr Pixel kTextColour = 0xFFF4F4F4u;
constexpr int kMaxPixelSize = 512;
// How dark the shadow is at its heart, out of 255 (the blur spreads it thinner).
constexpr unsigned kShadowStrength = 255;

// One box pass of radius r along rows (dx = 1) or columns, values outside counting as 0.
void BoxPass(std::vector<unsigned>& v, int w, int h, int r, bool rows) {
  const int n = rows ? w : h, lines = rows ? h : w;
  const size_t step = rows ? 1 : size_t(w);
  std::vector<unsigned> line(static_cast<size_t>(n));
  for (int l = 0; l < lines; ++l) {
    unsigned* p = v.data() + (rows ? size_t(l) * size_t(w) : size_t(l));
    for (int i = 0; i < n; ++i) line[size_t(i)] = p[size_t(i) * step];
    unsigned sum = 0;
    for (int i = 0; i < std::min(r, n); ++i) sum += line[size_t(i)];
    for (int i = 0; i < n; ++i) {
      if (i + r < n) sum += line[size_t(i + r)];
      if (i - r - 1 >= 0) sum -= line[size_t(i - r - 1)];
      p[size_t(i) * step] = sum / unsigned(2 * r + 1);
    }
  }
}

}  // namespace

Bitmap32 RenderCaption(TextRenderer& renderer, std::string_view utf8, int pixelSize, int maxWidth) {
  pixelSize = std::clamp(pixelSize, 1, kMaxPixelSize);
  const TextExtent extent = renderer.Measure(utf8, pixelSize);
  if (extent.width <= 0 || maxWidth <= 0) return {};
  const int radius = std::max(1, pixelSize / 8), offset = std::max(1, pixelSize / 16);
  const int pad = 2 * radius;  // two box passes reach this far
  const int w = std::min(extent.width + 2 * pad + offset, maxWidth);
  const int h = std::min(extent.ascent + extent.descent, 2 * kMaxPixelSize) + 2 * pad + offset;
  // The text alone, white on transparent: its alpha is the glyphs' coverage.
  Bitmap32 text(w, h);
  renderer.Draw(text, pad, pad + extent.ascent, utf8, pixelSize, 0xFFFFFFFFu);
  // The shadow: the coverage moved down and right, blurred twice (close to a tent).
  std::vector<unsigned> shadow(size_t(w) * size_t(h), 0);
  for (int y = 0; y + offset < h; ++y)
    for (int x = 0; x + offset < w; ++x)
      shadow[size_t(y + offset) * size_t(w) + size_t(x + offset)] = PixelA(text.at(x, y));
  for (int pass = 0; pass < 2; ++pass) {
    BoxPass(shadow, w, h, radius, true);
    BoxPass(shadow, w, h, radius, false);
  }
  // Light text over the black shadow, premultiplied.
  Bitmap32 caption(w, h);
  for (int y = 0; y < h; ++y) {
    const Pixel* t = text.scanline(y);
    Pixel* out = caption.scanline(y);
    for (int x = 0; x < w; ++x) {
      const unsigned a = PixelA(t[x]);
      const unsigned s = std::min(255u, shadow[size_t(y) * size_t(w) + size_t(x)] * 2) * kShadowStrength / 255;
      const unsigned alpha = a + (s * (255 - a) + 127) / 255;
      auto lit = [a](unsigned c) { return uint8_t((c * a + 127) / 255); };
      out[x] = MakePixel(lit(PixelR(kTextColour)), lit(PixelG(kTextColour)), lit(PixelB(kTextColour)),
                         uint8_t(alpha));
    }
  }
  return caption;
}

void BlendCaption(const Bitmap32& caption, Bitmap32& target, int x, int y) {
  const int x0 = std::max(0, x), x1 = std::min(target.width(), x + caption.width());
  const int y0 = std::max(0, y), y1 = std::min(target.height(), y + caption.height());
  for (int ty = y0; ty < y1; ++ty) {
    const Pixel* src = caption.scanline(ty - y);
    Pixel* dst = target.scanline(ty);
    for (int tx = x0; tx < x1; ++tx) {
      const Pixel s = src[tx - x];
      const unsigned keep = 255 - PixelA(s);
      if (keep == 255) continue;
      const Pixel d = dst[tx];
      auto over = [keep](unsigned sc, unsigned dc) { return uint8_t(sc + (dc * keep + 127) / 255); };
      dst[tx] = MakePixel(over(PixelR(s), PixelR(d)), over(PixelG(s), PixelG(d)), over(PixelB(s), PixelB(d)),
                          over(PixelA(s), PixelA(d)));
    }
  }
}

}  // namespace tp
