#include "imaging/Draw.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/PixelCombine.h"

namespace tp {

namespace {

// Per-thread lookup tables and scratch, reused between calls so drawing a frame does not
// allocate once they have grown to the frame's size.
struct Scratch {
  std::vector<int> cols;
  std::vector<int> rows;
  Bitmap32 block;
};
Scratch& ThreadScratch() {
  thread_local Scratch s;
  return s;
}

// One axis of a nearest-pixel stretch. Fills map for the visible destination positions
// [*v0, *v1) with source positions (or -1 outside the source). False when nothing shows.
bool PlanAxis(int dstLen, int clip0, int clip1, int d, int dw, int srcLen, int s, int sw,
              std::vector<int>& map, int* v0, int* v1) {
  if (dw == 0 || sw == 0 || srcLen <= 0) return false;
  const int64_t n = dw > 0 ? int64_t(dw) : -int64_t(dw);
  const int64_t m = sw > 0 ? int64_t(sw) : -int64_t(sw);
  const int64_t blockStart = dw > 0 ? int64_t(d) : int64_t(d) - n + 1;
  const int64_t blockEnd = blockStart + n;
  const int64_t lo = std::max<int64_t>({blockStart, int64_t(clip0), 0});
  const int64_t hi = std::min<int64_t>({blockEnd, int64_t(clip1), int64_t(dstLen)});
  if (lo >= hi) return false;
  map.resize(size_t(hi - lo));
  bool any = false;
  for (int64_t x = lo; x < hi; ++x) {
    const int64_t i = dw > 0 ? x - d : int64_t(d) - x;
    const int64_t j = ((2 * i + 1) * m) / (2 * n);
    const int64_t p = sw > 0 ? int64_t(s) + j : int64_t(s) - j;
    const bool inside = p >= 0 && p < srcLen;
    map[size_t(x - lo)] = inside ? int(p) : -1;
    any = any || inside;
  }
  *v0 = int(lo);
  *v1 = int(hi);
  return any;
}

// Clips a 1:1 block copy to both bitmaps; false when nothing remains.
bool ClipCopy(int dstW, int dstH, int srcW, int srcH, int& dx, int& dy, int& w, int& h, int& sx,
              int& sy) {
  if (w <= 0 || h <= 0) return false;
  int64_t x0 = std::max<int64_t>({0, int64_t(-dx), int64_t(-sx)});
  int64_t y0 = std::max<int64_t>({0, int64_t(-dy), int64_t(-sy)});
  int64_t x1 = std::min<int64_t>({int64_t(w), int64_t(dstW) - dx, int64_t(srcW) - sx});
  int64_t y1 = std::min<int64_t>({int64_t(h), int64_t(dstH) - dy, int64_t(srcH) - sy});
  if (x0 >= x1 || y0 >= y1) return false;
  dx = int(dx + x0);
  sx = int(sx + x0);
  dy = int(dy + y0);
  sy = int(sy + y0);
  w = int(x1 - x0);
  h = int(y1 - y0);
  return true;
}

}  // namespace

namespace detail {

bool PlanStretch(int dstW, int dstH, const Rect& clip, int dx, int dy, int dw, int dh, int srcW,
                 int srcH, int sx, int sy, int sw, int sh, StretchPlan& plan) {
  Scratch& s = ThreadScratch();
  if (!PlanAxis(dstW, clip.left, clip.right, dx, dw, srcW, sx, sw, s.cols, &plan.dstX0,
                &plan.dstX1))
    return false;
  if (!PlanAxis(dstH, clip.top, clip.bottom, dy, dh, srcH, sy, sh, s.rows, &plan.dstY0,
                &plan.dstY1))
    return false;
  plan.colMap = s.cols.data();
  plan.rowMap = s.rows.data();
  return true;
}

}  // namespace detail

void Copy(Bitmap32& dst, int dx, int dy, int w, int h, const Bitmap32& src, int sx, int sy) {
  if (!ClipCopy(dst.width(), dst.height(), src.width(), src.height(), dx, dy, w, h, sx, sy))
    return;
  if (w == dst.width() && w == src.width()) {  // whole rows: one contiguous block
    std::memcpy(dst.scanline(dy), src.scanline(sy), size_t(w) * size_t(h) * sizeof(Pixel));
    return;
  }
  const size_t bytes = size_t(w) * sizeof(Pixel);
  for (int y = 0; y < h; ++y) std::memcpy(dst.scanline(dy + y) + dx, src.scanline(sy + y) + sx, bytes);
}

void Stretch(Bitmap32& dst, int dx, int dy, int dw, int dh, const Bitmap32& src, int sx, int sy,
             int sw, int sh) {
  detail::StretchPlan plan;
  if (!detail::PlanStretch(dst.width(), dst.height(), Rect{0, 0, dst.width(), dst.height()}, dx,
                           dy, dw, dh, src.width(), src.height(), sx, sy, sw, sh, plan))
    return;
  const int n = plan.dstX1 - plan.dstX0;
  const int* cols = plan.colMap;
  // Columns that all lie inside the source (the usual case) need no test per pixel; a
  // column map that steps by one is a plain copy of the row.
  bool allInside = true, identityCols = true;
  for (int i = 0; i < n; ++i) {
    allInside = allInside && cols[i] >= 0;
    identityCols = identityCols && cols[i] == cols[0] + i;
  }
  identityCols = identityCols && allInside;
  // A row that samples the same source row as the row before it is copied from there
  // (only when every column is drawn: skipped columns keep each row's own pixels).
  int prevSrcRow = -1;
  Pixel* prevDst = nullptr;
  for (int y = plan.dstY0; y < plan.dstY1; ++y) {
    const int sr = plan.rowMap[y - plan.dstY0];
    if (sr < 0) continue;
    Pixel* drow = dst.scanline(y) + plan.dstX0;
    const Pixel* srow = src.scanline(sr);
    if (sr == prevSrcRow && prevDst && allInside) {
      std::memcpy(drow, prevDst, size_t(n) * sizeof(Pixel));
    } else if (identityCols) {
      std::memcpy(drow, srow + cols[0], size_t(n) * sizeof(Pixel));
    } else if (allInside) {
      for (int i = 0; i < n; ++i) drow[i] = srow[cols[i]];
    } else {
      for (int i = 0; i < n; ++i) {
        const int c = cols[i];
        if (c >= 0) drow[i] = srow[c];
      }
    }
    prevSrcRow = sr;
    prevDst = drow;
  }
}

void SelfCopy(Bitmap32& bmp, int dx, int dy, int w, int h, int sx, int sy) {
  if (!ClipCopy(bmp.width(), bmp.height(), bmp.width(), bmp.height(), dx, dy, w, h, sx, sy))
    return;
  const size_t bytes = size_t(w) * sizeof(Pixel);
  if (dy > sy) {
    for (int y = h - 1; y >= 0; --y)
      std::memmove(bmp.scanline(dy + y) + dx, bmp.scanline(sy + y) + sx, bytes);
  } else {
    for (int y = 0; y < h; ++y)
      std::memmove(bmp.scanline(dy + y) + dx, bmp.scanline(sy + y) + sx, bytes);
  }
}

void SelfStretch(Bitmap32& bmp, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || bmp.empty()) return;
  // Source block as a rectangle, clipped to the bitmap; it is read into scratch first.
  auto span = [](int s, int sw, int len, int* a, int* b) {
    int64_t lo = sw > 0 ? int64_t(s) : int64_t(s) + sw + 1;
    int64_t hi = sw > 0 ? int64_t(s) + sw : int64_t(s) + 1;
    lo = std::max<int64_t>(lo, 0);
    hi = std::min<int64_t>(hi, len);
    *a = int(lo);
    *b = int(hi);
    return lo < hi;
  };
  int x0, x1, y0, y1;
  if (!span(sx, sw, bmp.width(), &x0, &x1) || !span(sy, sh, bmp.height(), &y0, &y1)) return;
  Bitmap32& block = ThreadScratch().block;
  if (block.width() != x1 - x0 || block.height() != y1 - y0) block.SetSize(x1 - x0, y1 - y0);
  Copy(block, 0, 0, x1 - x0, y1 - y0, bmp, x0, y0);
  Stretch(bmp, dx, dy, dw, dh, block, sx - x0, sy - y0, sw, sh);
}

void CopyThroughRects(Bitmap32& dst, const Bitmap32& src, std::span<const Rect> rects) {
  for (const Rect& r : rects) {
    int dx = r.left, dy = r.top, sx = r.left, sy = r.top;
    int64_t w64 = int64_t(r.right) - r.left, h64 = int64_t(r.bottom) - r.top;
    if (w64 <= 0 || h64 <= 0) continue;
    int w = int(std::min<int64_t>(w64, INT32_MAX)), h = int(std::min<int64_t>(h64, INT32_MAX));
    Copy(dst, dx, dy, w, h, src, sx, sy);
  }
}

namespace {
inline Pixel BlendOne(Pixel d, Pixel s, int alpha) {
  const int db = int(d & 0xFF), dg = int((d >> 8) & 0xFF), dr = int((d >> 16) & 0xFF);
  const int sb = int(s & 0xFF), sg = int((s >> 8) & 0xFF), sr = int((s >> 16) & 0xFF);
  // Arithmetic shift: floor division by 256, also for negative differences.
  const int b = db + (((sb - db) * alpha) >> 8);
  const int g = dg + (((sg - dg) * alpha) >> 8);
  const int r = dr + (((sr - dr) * alpha) >> 8);
  return (d & 0xFF000000u) | (Pixel(r) << 16) | (Pixel(g) << 8) | Pixel(b);
}
}  // namespace

void BlendToward(Bitmap32& dst, const Bitmap32& src, int alpha, const Rect& rect) {
  if (alpha <= 0) return;
  alpha = std::min(alpha, 256);
  Rect r = Intersect(rect, Rect{0, 0, std::min(dst.width(), src.width()),
                                std::min(dst.height(), src.height())});
  if (r.empty()) return;
  for (int y = r.top; y < r.bottom; ++y) {
    Pixel* d = dst.scanline(y);
    const Pixel* s = src.scanline(y);
    for (int x = r.left; x < r.right; ++x) d[x] = BlendOne(d[x], s[x], alpha);
  }
}

void BlendToward(Bitmap32& dst, const Bitmap32& src, int alpha) {
  BlendToward(dst, src, alpha, Rect{0, 0, dst.width(), dst.height()});
}

void MirrorHorizontal(const Bitmap32& src, Bitmap32& dst) {
  if (&src == &dst) {
    for (int y = 0; y < dst.height(); ++y) std::reverse(dst.scanline(y), dst.scanline(y) + dst.width());
    return;
  }
  if (dst.width() != src.width() || dst.height() != src.height()) dst.SetSize(src.width(), src.height());
  dst.setMasterAlpha(src.masterAlpha());
  const int w = src.width();
  for (int y = 0; y < src.height(); ++y) {
    const Pixel* s = src.scanline(y);
    Pixel* d = dst.scanline(y);
    for (int x = 0; x < w; ++x) d[x] = s[w - 1 - x];
  }
}

void BlendPixel(Bitmap32& bmp, const Rect& clip, int x, int y, Pixel color, int alpha) {
  if (!clip.contains(x, y) || x < 0 || y < 0 || x >= bmp.width() || y >= bmp.height()) return;
  const uint32_t a = uint32_t(std::clamp(alpha, 0, 255));
  Pixel& d = bmp.at(x, y);
  d = (d & 0xFF000000u) | (MixPixel(d, color, a) & 0x00FFFFFFu);
}

void BlendPixel(Bitmap32& bmp, int x, int y, Pixel color, int alpha) {
  BlendPixel(bmp, Rect{0, 0, bmp.width(), bmp.height()}, x, y, color, alpha);
}

void BlendLine(Bitmap32& bmp, const Rect& clip, int x0, int y0, int x1, int y1, Pixel color,
               int alpha) {
  const Rect c = Intersect(clip, Rect{0, 0, bmp.width(), bmp.height()});
  if (c.empty()) return;
  int64_t x = x0, y = y0;
  const int64_t ddx = std::abs(int64_t(x1) - x0), ddy = -std::abs(int64_t(y1) - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int64_t err = ddx + ddy;
  // Segments far outside the bitmap: stepping stops once the end is reached; weather
  // streaks are short, so no analytic clipping is needed.
  for (;;) {
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom)
      BlendPixel(bmp, c, int(x), int(y), color, alpha);
    if (x == x1 && y == y1) break;
    const int64_t e2 = 2 * err;
    if (e2 >= ddy) {
      err += ddy;
      x += sx;
    }
    if (e2 <= ddx) {
      err += ddx;
      y += sy;
    }
  }
}

void BlendLine(Bitmap32& bmp, int x0, int y0, int x1, int y1, Pixel color, int alpha) {
  BlendLine(bmp, Rect{0, 0, bmp.width(), bmp.height()}, x0, y0, x1, y1, color, alpha);
}

}  // namespace tp
