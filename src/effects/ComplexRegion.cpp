#include "effects/ComplexRegion.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/IntMath.h"
#include "core/ProgramRandom.h"

namespace tp {

void TComplexRegion::clear() {
  std::vector<Rect>().swap(rects_);
  capacity_ = 0;
  bounds_ = Rect{INT_MAX, INT_MAX, -INT_MAX, -INT_MAX};
}

void TComplexRegion::AddRect(int left, int top, int right, int bottom) {
  if (int(rects_.size()) == capacity_) {
    capacity_ += kGrowth;
    rects_.reserve(size_t(capacity_));
  }
  rects_.push_back(Rect{left, top, right, bottom});
  bounds_.left = std::min(bounds_.left, left);
  bounds_.top = std::min(bounds_.top, top);
  bounds_.right = std::max(bounds_.right, right);
  bounds_.bottom = std::max(bounds_.bottom, bottom);
}

std::optional<Region> TComplexRegion::MakeRegion() const {
  if (capacity_ == 0) return std::nullopt;
  return Region::FromRects(rects_);
}

namespace {

std::optional<Region> Finish(const TComplexRegion& collector) { return collector.MakeRegion(); }

}  // namespace

void AddBars(TComplexRegion& region, int ax, int ay, int w, int verticalMode,
             int horizontalMode, int h) {
  if (w <= 0 || h <= 0) return;
  const int e = std::min(w, h) / 50 + 1;
  const int64_t step = 2 * int64_t(e);
  if (horizontalMode != 0) {
    const int m = horizontalMode;
    if (ax <= w) {
      for (int64_t f64 = 0; f64 < int64_t(h) + e; f64 += step) {
        const int f = int(f64);
        if (m == 1 || m == 5) region.AddRect(w - ax, f, w, f + e);
        if (m == 2 || m == 4) region.AddRect(0, f, ax, f + e);
        if (m == 3) {
          region.AddRect(0, f + e, ax, f + 2 * e);
          region.AddRect(w - ax, f, w, f + e);
        }
      }
    } else {
      for (int64_t f64 = e; f64 < int64_t(h) + e; f64 += step) {
        const int f = int(f64);
        if (m == 1 || m == 4) region.AddRect(2 * w - ax, f, w, f + e);
        if (m == 2 || m == 5) region.AddRect(0, f, ax - w, f + e);
        region.AddRect(0, f - e, w, f);
      }
    }
  }
  if (verticalMode != 0) {
    const int m = verticalMode;
    if (ay <= h) {
      for (int64_t c64 = 0; c64 < int64_t(w) + e; c64 += step) {
        const int c = int(c64);
        if (m == 1 || m == 5) region.AddRect(c, h - ay, c + e, h);
        if (m == 2 || m == 4) region.AddRect(c, 0, c + e, ay);
        if (m == 3) {
          region.AddRect(c, h - ay, c + e, h);
          region.AddRect(c + e, 0, c + 2 * e, ay);
        }
      }
    } else {
      for (int64_t c64 = e; c64 < int64_t(w) + e; c64 += step) {
        const int c = int(c64);
        if (m == 1 || m == 4) region.AddRect(c, 2 * h - ay, c + e, h);
        if (m == 2 || m == 5) region.AddRect(c, 0, c + e, ay - h);
        region.AddRect(c - e, 0, c, h);
      }
    }
  }
}

std::optional<Region> BarsRegion(int ax, int ay, int w, int verticalMode, int horizontalMode,
                                 int h) {
  TComplexRegion collector;
  AddBars(collector, ax, ay, w, verticalMode, horizontalMode, h);
  return Finish(collector);
}

void AddUnevenShreds(TComplexRegion& region, int ax, int ay, int w, int verticalMode,
                     int horizontalMode, int h) {
  if (w <= 0 || h <= 0) return;
  const int e = std::min(w, h) / 200 + 1;
  // Two-sided modes split a strip's length; the second half takes the odd pixel so the
  // two halves together still reach the full length.
  if (horizontalMode != 0) {
    const int l = ax < w ? w / 10 : 0;
    const int extra = h % e;
    for (int o = 0; o < h; o += e) {
      const int r = ProgramRandom::Random(2 * l) + ax - l;
      const int b = o + e + extra;
      const int r1 = r / 2, r2 = r - r / 2;
      switch (horizontalMode) {
        case 1: region.AddRect(w - r, o, w, b); break;
        case 2: region.AddRect(0, o, r, b); break;
        case 3:
          region.AddRect(w / 2 - r1, o, w / 2, b);
          region.AddRect(w / 2, o, w / 2 + r2, b);
          break;
        case 4:
          region.AddRect(w - r2, o, w, b);
          region.AddRect(0, o, r1, b);
          break;
        default: break;
      }
    }
  }
  if (verticalMode != 0) {
    const int l = ay < h ? h / 10 : 0;
    const int extra = w % e;
    for (int o = 0; o < w; o += e) {
      const int r = ProgramRandom::Random(2 * l) + ay - l;
      const int b = o + e + extra;
      const int r1 = r / 2, r2 = r - r / 2;
      switch (verticalMode) {
        case 1: region.AddRect(o, h - r, b, h); break;
        case 2: region.AddRect(o, 0, b, r); break;
        case 3:
          region.AddRect(o, h / 2 - r1, b, h / 2);
          region.AddRect(o, h / 2, b, h / 2 + r2);
          break;
        case 4:
          region.AddRect(o, h - r2, b, h);
          region.AddRect(o, 0, b, r1);
          break;
        default: break;
      }
    }
  }
}

std::optional<Region> UnevenShredRegion(int ax, int ay, int w, int verticalMode,
                                        int horizontalMode, int h) {
  TComplexRegion collector;
  AddUnevenShreds(collector, ax, ay, w, verticalMode, horizontalMode, h);
  return Finish(collector);
}

void AddSpeckles(TComplexRegion& region, int ax, int ay, int w, int verticalMode,
                 int horizontalMode, int h) {
  if (w <= 0 || h <= 0) return;
  auto cells = [&](int length, int extent, int across, auto add) {
    const int g = extent < length ? length / 10 : 0;
    const int s = std::max(g / 20, 2);
    const int n = g / s;
    const int q = (3 * g) / (4 * s);
    const int bandStep = s / 2;
    for (int a = 0; a < across; a += bandStep) {
      add(a, s, 0);  // the solid part
      for (int i = n; i >= 1; --i) {
        const int draw = ProgramRandom::Random(i);
        if (i <= q ? draw <= 1 : draw == 0) add(a, s, i);
      }
    }
  };
  if (horizontalMode == 1 || horizontalMode == 2) {
    const bool fromRight = horizontalMode == 1;
    cells(w, ax, h, [&](int y, int s, int i) {
      if (i == 0) {
        if (fromRight) region.AddRect(w - ax, y, w, y + s);
        else region.AddRect(0, y, ax, y + s);
      } else if (fromRight) {
        region.AddRect(w - ax - s * i, y, w - ax - s * i + s, y + s);
      } else {
        region.AddRect(ax + s * i - s, y, ax + s * i, y + s);
      }
    });
  }
  if (verticalMode == 1 || verticalMode == 2) {
    const bool fromBottom = verticalMode == 1;
    cells(h, ay, w, [&](int x, int s, int i) {
      if (i == 0) {
        if (fromBottom) region.AddRect(x, h - ay, x + s, h);
        else region.AddRect(x, 0, x + s, ay);
      } else if (fromBottom) {
        region.AddRect(x, h - ay - s * i, x + s, h - ay - s * i + s);
      } else {
        region.AddRect(x, ay + s * i - s, x + s, ay + s * i);
      }
    });
  }
}

std::optional<Region> SpeckleRegion(int ax, int ay, int w, int verticalMode, int horizontalMode,
                                    int h) {
  TComplexRegion collector;
  AddSpeckles(collector, ax, ay, w, verticalMode, horizontalMode, h);
  return Finish(collector);
}

Region PolygonRegion(std::span<const int> coordinates, int highestIndex, const Rect& clip) {
  const size_t vertices =
      std::min(size_t(std::max(highestIndex + 1, 0) / 2), coordinates.size() / 2);
  std::vector<RegionPoint> points(vertices);
  for (size_t i = 0; i < vertices; ++i) points[i] = {coordinates[2 * i], coordinates[2 * i + 1]};
  return Region::Polygon(points, clip);
}

void RotatePoints(std::span<int> points, int highestPointIndex, int cx, double angle, int cy) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const size_t last = std::min(size_t(std::max(highestPointIndex + 1, 0)), points.size() / 2);
  for (size_t i = 0; i < last; ++i) {
    const double dx = double(points[2 * i]) - cx;
    const double dy = double(points[2 * i + 1]) - cy;
    points[2 * i] = cx + int(RoundHalfEven(c * dx - s * dy));
    points[2 * i + 1] = cy + int(RoundHalfEven(s * dx + c * dy));
  }
}

}  // namespace tp
