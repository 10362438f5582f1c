#include "effects/RegionEffects.h"

#include <algorithm>
#include <array>
#include <numbers>
#include <optional>
#include <vector>

#include "core/IntMath.h"
#include "effects/ComplexRegion.h"
#include "effects/EffectRandom.h"
#include "core/ProgramRandom.h"
#include "imaging/Region.h"

namespace tp {
namespace {

void Reveal(Bitmap32& dst, const Bitmap32& src, int w, int h, const std::optional<Region>& r) {
  if (r) r->CopyThrough(src, dst, Rect{0, 0, w, h});
}

Region WholeRegion(int w, int h) { return Region::FromRect(0, 0, w, h); }

// Polygons of one frame, joined by union in one step.
class PolygonSet {
 public:
  PolygonSet(int w, int h, int unitsPerPixel = 1) : clip_{0, 0, w, h}, units_(unitsPerPixel) {}
  void Add(std::initializer_list<RegionPoint> points) {
    AppendPolygonSpans(std::span<const RegionPoint>(points.begin(), points.size()), clip_, spans_,
                       units_);
  }
  Region Make() const { return Region::FromRects(spans_); }

 private:
  Rect clip_;
  int units_;
  std::vector<Rect> spans_;
};

using P2 = RegionPoint;

}  // namespace

void CurvedRevealFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                        int y, int) {
  const Rect clip{0, 0, w, h};
  std::optional<Region> r;
  auto round = [&](int l, int t, int rt, int b, int ew, int eh) {
    return Region::RoundRect(l, t, rt, b, ew, eh, clip);
  };
  const int x3 = (3 * x) / 2, y3 = (3 * y) / 2;
  switch (number) {
    case 61: r = round(-2 * w, 0, 2 * x, h + 1, 2 * w, 2 * w); break;
    case 62: r = round(w - 2 * x, 0, 3 * w, h + 1, 2 * w, 2 * w); break;
    case 72: r = round(0, -2 * h, w + 1, 2 * y, 2 * h, 2 * h); break;
    case 73: r = round(0, h - 2 * y, w + 1, 3 * h, 2 * h, 2 * h); break;
    case 83: r = round(-w, -h, x3, y3, 2 * w, 2 * h); break;
    case 84: r = round(w - x3, -h, 2 * w, y3, 2 * w, 2 * h); break;
    case 85: r = round(-w, h - y3, x3, 2 * h, 2 * w, 2 * h); break;
    case 86: r = round(w - x3, h - y3, 2 * w, 2 * h, 2 * w, 2 * h); break;
    case 87:
      r = round(w / 2 - x, h / 2 - y, w / 2 + x, h / 2 + y, (9 * x) / 5, (9 * y) / 5);
      break;
    case 88: {
      // The shrinking hole is centred so that it closes to nothing on odd sizes too.
      const int rx = w - x, ry = h - y;
      r = WholeRegion(w, h).Xor(round(w / 2 - rx, h / 2 - ry, w / 2 + rx, h / 2 + ry,
                                      (9 * w - 9 * x) / 5, (9 * h - 9 * y) / 5));
      break;
    }
    default: return;
  }
  Reveal(dst, src, w, h, r);
}

namespace {
struct BarsMember {
  int number;
  bool doubled;  // extents 2X, 2Y (else X, Y)
  int horizontal;
  int vertical;
};
constexpr BarsMember kBars[] = {
    {63, true, 1, 0},  {64, true, 2, 0},  {65, true, 4, 0},  {66, true, 5, 0},
    {67, false, 3, 0}, {74, true, 0, 1},  {75, true, 0, 2},  {76, true, 0, 4},
    {77, true, 0, 5},  {78, false, 0, 3}, {89, true, 1, 1},  {90, true, 1, 2},
    {91, true, 2, 1},  {92, true, 2, 2},  {93, true, 4, 4},  {94, true, 4, 5},
    {95, true, 5, 4},  {96, true, 5, 5},  {97, false, 1, 3}, {98, false, 2, 3},
    {99, false, 3, 1}, {100, false, 3, 2}, {101, false, 3, 3},
};

std::optional<Region> BarsMemberRegion(int number, int w, int h, int x, int y) {
  for (const auto& m : kBars) {
    if (m.number != number) continue;
    const int ax = m.horizontal ? (m.doubled ? 2 * x : x) : 0;
    const int ay = m.vertical ? (m.doubled ? 2 * y : y) : 0;
    return BarsRegion(ax, ay, w, m.vertical, m.horizontal, h);
  }
  return std::nullopt;
}
}  // namespace

void BarsFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                int) {
  if (number == 102) {
    auto a = BarsMemberRegion(89, w, h, x, y);
    auto b = BarsMemberRegion(92, w, h, x, y);
    if (a && b) Reveal(dst, src, w, h, a->Intersect(*b));
    return;
  }
  Reveal(dst, src, w, h, BarsMemberRegion(number, w, h, x, y));
}

namespace {
struct ModesMember {
  int number;
  int horizontal;
  int vertical;
};
constexpr ModesMember kShreds[] = {
    {68, 1, 0},  {69, 2, 0},  {70, 3, 0},  {71, 4, 0},  {79, 0, 1},  {80, 0, 2},
    {81, 0, 3},  {82, 0, 4},  {103, 1, 1}, {104, 1, 2}, {105, 2, 1}, {106, 2, 2},
    {107, 1, 3}, {108, 2, 3}, {109, 3, 1}, {110, 3, 2}, {111, 3, 3}, {112, 4, 4},
};
constexpr ModesMember kSpeckles[] = {{125, 1, 0}, {126, 2, 0}, {127, 0, 1}, {128, 0, 2}};
}  // namespace

void UnevenShredFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                       int y, int) {
  for (const auto& m : kShreds) {
    if (m.number != number) continue;
    Reveal(dst, src, w, h,
           UnevenShredRegion(m.horizontal ? x : 0, m.vertical ? y : 0, w, m.vertical,
                             m.horizontal, h));
  }
}

void SpeckleFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                   int) {
  for (const auto& m : kSpeckles) {
    if (m.number != number) continue;
    Reveal(dst, src, w, h, SpeckleRegion(x, y, w, m.vertical, m.horizontal, h));
  }
}

namespace {
// The four triangles pointing inward from the edge midpoints, in half pixels so that they
// meet at the exact centre on odd sizes too: half base b2 / 2 and height a2 / 2 pixels
// for the side triangles (the top and bottom ones swap the roles).
void AddEdgeTriangles(PolygonSet& halves, int w, int h, int a2, int b2) {
  const int w2 = 2 * w, h2 = 2 * h;
  halves.Add({P2{0, h - b2}, P2{a2, h}, P2{0, h + b2}});
  halves.Add({P2{w2, h - b2}, P2{w2 - a2, h}, P2{w2, h + b2}});
  halves.Add({P2{w - a2, 0}, P2{w, b2}, P2{w + a2, 0}});
  halves.Add({P2{w - a2, h2}, P2{w, h2 - b2}, P2{w + a2, h2}});
}
}  // namespace

void PolygonFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                   int) {
  PolygonSet set(w, h);
  const int cx = w / 2, cy = h / 2;
  const P2 c{cx, cy};
  switch (number) {
    case 113: set.Add({P2{0, 0}, P2{2 * x, 0}, P2{0, 2 * y}}); break;
    case 114: set.Add({P2{w, 0}, P2{w - 2 * x, 0}, P2{w, 2 * y}}); break;
    case 115: set.Add({P2{0, h}, P2{2 * x, h}, P2{0, h - 2 * y}}); break;
    case 116: set.Add({P2{w, h}, P2{w - 2 * x, h}, P2{w, h - 2 * y}}); break;
    case 117:
      set.Add({P2{0, h}, P2{0, 0}, P2{x, h}});
      set.Add({P2{w, h}, P2{w, 0}, P2{w - x, 0}});
      break;
    case 118:
      set.Add({P2{w, 0}, P2{0, 0}, P2{w, y}});
      set.Add({P2{w, h}, P2{0, h}, P2{0, h - y}});
      break;
    case 119:
      set.Add({c, P2{0, 0}, P2{x, 0}});
      set.Add({c, P2{0, h}, P2{0, h - y}});
      set.Add({c, P2{w, h}, P2{w - x, h}});
      set.Add({c, P2{w, 0}, P2{w, y}});
      break;
    case 161:
      set.Add({c, P2{0, 0}, P2{0, y}});
      set.Add({c, P2{0, h}, P2{x, h}});
      set.Add({c, P2{w, h}, P2{w, h - y}});
      set.Add({c, P2{w, 0}, P2{w - x, 0}});
      break;
    case 153: set.Add({P2{0, cy - y}, P2{2 * x, cy}, P2{0, cy + y}}); break;
    case 154: set.Add({P2{w, cy - y}, P2{w - 2 * x, cy}, P2{w, cy + y}}); break;
    case 155: set.Add({P2{cx - x, 0}, P2{cx, 2 * y}, P2{cx + x, 0}}); break;
    case 156: set.Add({P2{cx - x, h}, P2{cx, h - 2 * y}, P2{cx + x, h}}); break;
    case 157:
      set.Add({P2{0, cy - y}, P2{x, cy}, P2{0, cy + y}});
      set.Add({P2{w, cy - y}, P2{w - x, cy}, P2{w, cy + y}});
      break;
    case 158:
      set.Add({P2{cx - x, 0}, P2{cx, 2 * y}, P2{cx + x, 0}});
      set.Add({P2{cx - x, h}, P2{cx, h - 2 * y}, P2{cx + x, h}});
      break;
    // The shapes about the centre below are drawn in half pixels, so the centre is exact
    // on odd sizes and they open or close completely at the end.
    case 159: {
      PolygonSet halves(w, h, 2);
      AddEdgeTriangles(halves, w, h, x, y);
      Reveal(dst, src, w, h, halves.Make());
      return;
    }
    case 160: {
      PolygonSet halves(w, h, 2);
      AddEdgeTriangles(halves, w, h, w - x, h - y);
      Reveal(dst, src, w, h, WholeRegion(w, h).Xor(halves.Make()));
      return;
    }
    case 165: {
      PolygonSet halves(w, h, 2);
      halves.Add({P2{w - 2 * x, h}, P2{w, h - 2 * y}, P2{w + 2 * x, h}, P2{w, h + 2 * y}});
      Reveal(dst, src, w, h, halves.Make());
      return;
    }
    case 166: {
      PolygonSet halves(w, h, 2);
      const int rx = 2 * (w - x), ry = 2 * (h - y);
      halves.Add({P2{w - rx, h}, P2{w, h - ry}, P2{w + rx, h}, P2{w, h + ry}});
      Reveal(dst, src, w, h, WholeRegion(w, h).Xor(halves.Make()));
      return;
    }
    case 167: {
      // A ring between a diamond growing outward from the one through the edge midpoints
      // and one shrinking inward from it.
      PolygonSet outer(w, h, 2), inner(w, h, 2);
      outer.Add({P2{-x, h}, P2{w, -y}, P2{2 * w + x, h}, P2{w, 2 * h + y}});
      inner.Add({P2{x, h}, P2{w, y}, P2{2 * w - x, h}, P2{w, 2 * h - y}});
      Reveal(dst, src, w, h, outer.Make().Xor(inner.Make()));
      return;
    }
    default: return;
  }
  Reveal(dst, src, w, h, set.Make());
}

void ZigzagFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                  int p) {
  const bool horizontal = number == 162;
  // Work in (along, across) coordinates; the vertical member swaps the axes.
  const int along = horizontal ? w : h;
  const int across = horizontal ? h : w;
  const int extent = horizontal ? y : x;
  const int step = along / 10;
  const int a = across / 10;
  const int grow = MulDiv(across / 10, p, 100);
  // The far edge takes the odd pixel of the extent so the band reaches both sides.
  const int cNear = grow + extent / 2;
  const int cFar = grow + (extent - extent / 2);
  const int m = across / 2;
  std::array<P2, 24> points;
  for (int k = 0; k < 12; ++k) {
    // The last tooth reaches the far side even when the length is not a multiple of 10.
    const int pos = k == 11 ? std::max(11 * step, along) : k * step;
    const int top = k % 2 == 0 ? m - cNear + a : m - cNear - a;
    const int bottom = k % 2 == 0 ? m + cFar + a : m + cFar - a;
    points[size_t(k)] = horizontal ? P2{pos, top} : P2{top, pos};
    points[size_t(23 - k)] = horizontal ? P2{pos, bottom} : P2{bottom, pos};
  }
  Reveal(dst, src, w, h, Region::Polygon(points, Rect{0, 0, w, h}));
}

void ShredGridFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int, int,
                     int p) {
  const Rect clip{0, 0, w, h};
  if (number == 144) {
    const int n = std::min(w, h) / 10 + 1;
    const int a = MulDiv(n, p, 100);
    TComplexRegion collector;
    for (int y0 = 0; y0 < h; y0 += 2 * n) {
      for (int x0 = 0; x0 < w; x0 += 2 * n) {
        collector.AddRect(x0 + n - a, y0 + n - a, x0 + n + a, y0 + n + a);
      }
    }
    Reveal(dst, src, w, h, collector.MakeRegion());
    return;
  }
  std::vector<Rect> spans;
  if (number == 152) {
    const int n = std::min(w, h) / 10 + 1;
    const int r = MulDiv(3 * n, p, 200);
    for (int y0 = 0; y0 < h; y0 += 2 * n) {
      for (int x0 = 0; x0 < w; x0 += 2 * n) {
        const int cx = x0 + n, cy = y0 + n;
        AppendRoundRectSpans(cx - r, cy - r, cx + r, cy + r, 2 * r, 2 * r, clip, spans);
      }
    }
  } else if (number == 164) {
    const int n = std::min(w, h) / 10 + 1;
    const int r = MulDiv(n, p, 50);
    for (int cy = n; cy - n < h; cy += 2 * n) {
      for (int cx = n; cx - n < w; cx += 2 * n) {
        const std::array<P2, 4> d = {P2{cx - r, cy}, P2{cx, cy - r}, P2{cx + r, cy}, P2{cx, cy + r}};
        AppendPolygonSpans(d, clip, spans);
      }
    }
  } else if (number == 120) {
    const int cw = w / 10 + 1, ch = h / 10 + 1;
    const int a = MulDiv(cw, p, 50), b = MulDiv(ch, p, 50);
    for (int cx = cw; cx - cw < w; cx += 2 * cw) {
      for (int t = 0; t < h + ch; t += 2 * ch) {
        const int cy = t + ch;
        const std::array<P2, 3> tri = {P2{cx - a, cy - b}, P2{cx, cy + b}, P2{cx + a, cy - b}};
        AppendPolygonSpans(tri, clip, spans);
      }
    }
  } else {
    return;
  }
  Reveal(dst, src, w, h, Region::FromRects(spans));
}

void RandomSquaresFamily(int, Bitmap32& dst, const Bitmap32& src, int w, int h, int, int, int p) {
  const int unit = std::min(w, h) / 50;
  const int s = 2 * unit + 2;
  // The squares depend on w and h only; the shared generator is left untouched.
  EffectRandom random(uint32_t(unit + 1) * uint32_t(w + h));
  TComplexRegion collector;
  for (int x0 = 0; x0 < w; x0 += s) {
    for (int y0 = 0; y0 < h; y0 += s) {
      if (random.Next(100) < p) collector.AddRect(x0, y0, x0 + s, y0 + s);
    }
  }
  Reveal(dst, src, w, h, collector.MakeRegion());
}

void BlindFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                 int p) {
  TComplexRegion collector;
  auto columns = [&](int l, int r) { collector.AddRect(l, 0, r, h); };
  auto rows = [&](int t, int b) { collector.AddRect(0, t, w, b); };
  switch (number) {
    case 138: {
      const int n = w / 40 + 1, a = MulDiv(n, p, 100);
      for (int x0 = 0; x0 < w; x0 += 2 * (w / 40) + 2) columns(x0 + n - a, x0 + n + a);
      break;
    }
    case 139: {
      const int n = h / 40 + 1, a = MulDiv(n, p, 100);
      for (int y0 = 0; y0 < h; y0 += 2 * (h / 40) + 2) rows(y0 + n - a, y0 + n + a);
      break;
    }
    case 140:
      if (x > 0) {
        const int a = MulDiv(x, p, 100);
        for (int x0 = 0; x0 < w; x0 += x) columns(x0, x0 + a);
      }
      break;
    case 141:
      if (x > 0) {
        const int a = MulDiv(x, p, 100);
        for (int x0 = w; x0 > 0; x0 -= x) columns(x0 - a, x0);
      }
      break;
    case 142:
      if (y > 0) {
        const int a = MulDiv(y, p, 100);
        for (int y0 = 0; y0 < h; y0 += y) rows(y0, y0 + a);
      }
      break;
    case 143:
      if (y > 0) {
        const int a = MulDiv(y, p, 100);
        for (int y0 = h; y0 > 0; y0 -= y) rows(y0 - a, y0);
      }
      break;
    case 145:
    case 146:
      if (x > 0 && h / 20 > 0) {
        const int m = h / 20, a = MulDiv(m, p, 100);
        for (int y0 = -m; y0 < h; y0 += 3 * m) rows(y0 - a, y0 + a);
        const int b = MulDiv(x, p, 100);
        if (number == 145) {
          for (int x0 = 0; x0 < w; x0 += x) columns(x0, x0 + b);
        } else {
          for (int x0 = w; x0 > 0; x0 -= x) columns(x0 - b, x0);
        }
      }
      break;
    case 147:
    case 148:
      if (y > 0 && w / 20 > 0) {
        const int m = w / 20, a = MulDiv(m, p, 100);
        for (int x0 = -m; x0 < w; x0 += 3 * m) columns(x0 - a, x0 + a);
        const int b = MulDiv(y, p, 100);
        if (number == 147) {
          for (int y0 = 0; y0 < h; y0 += y) rows(y0, y0 + b);
        } else {
          for (int y0 = h; y0 > 0; y0 -= y) rows(y0 - b, y0);
        }
      }
      break;
    default: return;
  }
  Reveal(dst, src, w, h, collector.MakeRegion());
}

void RotatingShapeFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                         int y, int p) {
  const int cx = w / 2, cy = h / 2;
  // The far sides take the odd pixel so the shape covers the picture exactly at the end.
  const int l = x / 2, r = x - x / 2, t = y / 2, b = y - y / 2;
  const double angle = p * std::numbers::pi / 50;
  std::vector<int> pts;
  int centreX = cx, centreY = cy;
  if (number == 150) {
    pts = {cx - 2 * x, cy, cx - l, cy - t, cx, cy - 2 * y, cx + r, cy - t,
           cx + 2 * x, cy, cx + r, cy + b, cx, cy + 2 * y, cx - l, cy + b};
  } else {
    pts = {cx - l, cy - t, cx + r, cy - t, cx + r, cy + b, cx - l, cy + b};
    if (number == 151) {
      centreX = x;
      centreY = y;
    }
  }
  const int vertices = int(pts.size()) / 2;
  RotatePoints(pts, vertices - 1, centreX, angle, centreY);
  Reveal(dst, src, w, h, PolygonRegion(pts, 2 * vertices - 1, Rect{0, 0, w, h}));
}

}  // namespace tp
