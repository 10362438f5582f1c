#include "imaging/Region.h"

#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tp {

struct Region::Impl {
  pixman_region32_t r;
};

namespace {

// pixman keeps coordinates in 32-bit integers but its internal arithmetic adds widths;
// keep everything well inside that range.
constexpr int64_t kCoordLimit = int64_t(1) << 29;

int32_t ClampCoord(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, -kCoordLimit, kCoordLimit));
}

pixman_box32_t ToBox(const Rect& r) {
  return pixman_box32_t{ClampCoord(r.left), ClampCoord(r.top), ClampCoord(r.right),
                        ClampCoord(r.bottom)};
}

bool IsEmptyRect(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

void AddSpan(std::vector<Rect>& out, int32_t y, int32_t x0, int32_t x1) {
  if (x1 > x0) out.push_back(Rect{x0, y, x1, y + 1});
}

}  // namespace

Region::Region() : impl_(new Impl) { pixman_region32_init(&impl_->r); }

Region::~Region() {
  if (impl_) {
    pixman_region32_fini(&impl_->r);
    delete impl_;
  }
}

Region::Region(const Region& other) : impl_(new Impl) {
  pixman_region32_init(&impl_->r);
  pixman_region32_copy(&impl_->r, &other.impl_->r);
}

Region::Region(Region&& other) : Region() { std::swap(impl_, other.impl_); }

Region& Region::operator=(const Region& other) {
  if (this != &other) {
    if (!impl_) {
      impl_ = new Impl;
      pixman_region32_init(&impl_->r);
    }
    pixman_region32_copy(&impl_->r, &other.impl_->r);
  }
  return *this;
}

Region& Region::operator=(Region&& other) noexcept {
  std::swap(impl_, other.impl_);
  return *this;
}

Region Region::FromRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Region out;
  Rect r{left, top, right, bottom};
  if (!IsEmptyRect(r)) {
    pixman_box32_t b = ToBox(r);
    pixman_region32_fini(&out.impl_->r);
    pixman_region32_init_rect(&out.impl_->r, b.x1, b.y1, uint32_t(b.x2 - b.x1),
                              uint32_t(b.y2 - b.y1));
  }
  return out;
}

Region Region::FromRects(std::span<const Rect> rects) {
  Region out;
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(rects.size());
  for (const auto& r : rects) {
    if (!IsEmptyRect(r)) {
      pixman_box32_t b = ToBox(r);
      if (b.x2 > b.x1 && b.y2 > b.y1) boxes.push_back(b);
    }
  }
  if (!boxes.empty()) {
    pixman_region32_fini(&out.impl_->r);
    pixman_region32_init_rects(&out.impl_->r, boxes.data(), int(boxes.size()));
  }
  return out;
}

void AppendPolygonSpans(std::span<const RegionPoint> points, const Rect& clip,
                        std::vector<Rect>& out, int unitsPerPixel) {
  if (points.size() < 3 || IsEmptyRect(clip) || unitsPerPixel < 1) return;
  const double unit = unitsPerPixel;
  int64_t minY = points[0].y, maxY = points[0].y;
  for (const auto& p : points) {
    minY = std::min<int64_t>(minY, p.y);
    maxY = std::max<int64_t>(maxY, p.y);
  }
  const int32_t y0 = int32_t(std::max<double>(std::floor(double(minY) / unit), clip.top));
  const int32_t y1 = int32_t(std::min<double>(std::ceil(double(maxY) / unit), clip.bottom));
  struct Crossing {
    double x;
    int dir;
  };
  std::vector<Crossing> xs;
  const size_t n = points.size();
  for (int32_t y = y0; y < y1; ++y) {
    const double yc = y + 0.5;
    xs.clear();
    for (size_t i = 0; i < n; ++i) {
      const RegionPoint& a = points[i];
      const RegionPoint& b = points[(i + 1) % n];
      if (a.y == b.y) continue;
      const bool down = a.y < b.y;
      const double ay = a.y / unit, by = b.y / unit, ax = a.x / unit, bx = b.x / unit;
      const double ylo = down ? ay : by;
      const double yhi = down ? by : ay;
      if (yc < ylo || yc >= yhi) continue;
      const double t = (yc - ay) / (by - ay);
      xs.push_back({ax + t * (bx - ax), down ? 1 : -1});
    }
    if (xs.size() < 2) continue;
    std::sort(xs.begin(), xs.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
    int winding = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].dir;
      if (winding == 0) continue;
      // Pixels whose centre lies between the two crossings are inside.
      const double from = std::ceil(xs[i].x - 0.5);
      const double to = std::ceil(xs[i + 1].x - 0.5);
      const int32_t l = int32_t(std::clamp<double>(from, clip.left, clip.right));
      const int32_t r = int32_t(std::clamp<double>(to, clip.left, clip.right));
      AddSpan(out, y, l, r);
    }
  }
}

Region Region::Polygon(std::span<const RegionPoint> points, const Rect& clip,
                       int unitsPerPixel) {
  std::vector<Rect> spans;
  AppendPolygonSpans(points, clip, spans, unitsPerPixel);
  return FromRects(spans);
}

Region Region::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom,
                       const Rect& clip) {
  return RoundRect(left, top, right, bottom, right - left, bottom - top, clip);
}

void AppendRoundRectSpans(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight, const Rect& clip,
                          std::vector<Rect>& out) {
  const int64_t w = int64_t(right) - left;
  const int64_t h = int64_t(bottom) - top;
  if (w <= 0 || h <= 0 || IsEmptyRect(clip)) return;
  const double rx = double(std::clamp<int64_t>(std::abs(int64_t(ellipseWidth)), 0, w)) / 2.0;
  const double ry = double(std::clamp<int64_t>(std::abs(int64_t(ellipseHeight)), 0, h)) / 2.0;
  const int32_t y0 = int32_t(std::max<int64_t>(top, clip.top));
  const int32_t y1 = int32_t(std::min<int64_t>(bottom, clip.bottom));
  for (int32_t y = y0; y < y1; ++y) {
    const double yc = y + 0.5;
    double inset = 0.0;  // how far the row's span is pulled in at each side
    double dy = 0.0;
    if (yc < top + ry) {
      dy = (top + ry) - yc;
    } else if (yc > bottom - ry) {
      dy = yc - (bottom - ry);
    }
    if (dy > 0.0 && ry > 0.0) {
      const double q = dy / ry;
      if (q >= 1.0) continue;
      inset = rx - rx * std::sqrt(1.0 - q * q);
    }
    const double from = std::ceil(left + inset - 0.5);
    const double to = std::ceil(right - inset - 0.5);
    const int32_t l = int32_t(std::clamp<double>(from, clip.left, clip.right));
    const int32_t r = int32_t(std::clamp<double>(to, clip.left, clip.right));
    AddSpan(out, y, l, r);
  }
}

Region Region::RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                         int32_t ellipseWidth, int32_t ellipseHeight, const Rect& clip) {
  std::vector<Rect> spans;
  AppendRoundRectSpans(left, top, right, bottom, ellipseWidth, ellipseHeight, clip, spans);
  return FromRects(spans);
}

Region Region::Union(const Region& other) const {
  Region out;
  pixman_region32_union(&out.impl_->r, &impl_->r, &other.impl_->r);
  return out;
}

Region Region::Intersect(const Region& other) const {
  Region out;
  pixman_region32_intersect(&out.impl_->r, &impl_->r, &other.impl_->r);
  return out;
}

Region Region::Subtract(const Region& other) const {
  Region out;
  pixman_region32_subtract(&out.impl_->r, &impl_->r, &other.impl_->r);
  return out;
}

Region Region::Xor(const Region& other) const {
  return Union(other).Subtract(Intersect(other));
}

Region Region::Clipped(const Rect& rect) const {
  return Intersect(FromRect(rect.left, rect.top, rect.right, rect.bottom));
}

bool Region::empty() const { return !pixman_region32_not_empty(&impl_->r); }

Rect Region::bounds() const {
  if (empty()) return {};
  const pixman_box32_t* b = pixman_region32_extents(&impl_->r);
  return {b->x1, b->y1, b->x2, b->y2};
}

bool Region::Contains(int32_t x, int32_t y) const {
  return pixman_region32_contains_point(&impl_->r, x, y, nullptr) != 0;
}

int64_t Region::Area() const {
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&impl_->r, &n);
  int64_t area = 0;
  for (int i = 0; i < n; ++i) {
    area += (int64_t(boxes[i].x2) - boxes[i].x1) * (int64_t(boxes[i].y2) - boxes[i].y1);
  }
  return area;
}

std::vector<Rect> Region::Rectangles() const {
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&impl_->r, &n);
  std::vector<Rect> out;
  out.reserve(size_t(n));
  for (int i = 0; i < n; ++i) out.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
  return out;
}

size_t Region::RectangleCount() const {
  return size_t(pixman_region32_n_rects(&impl_->r));
}

void Region::CopyThrough(const Bitmap32& src, Bitmap32& dst) const {
  CopyThrough(src, dst, Rect{0, 0, std::min(src.width(), dst.width()),
                             std::min(src.height(), dst.height())});
}

void Region::CopyThrough(const Bitmap32& src, Bitmap32& dst, const Rect& clip) const {
  const int32_t left = std::max(clip.left, 0);
  const int32_t top = std::max(clip.top, 0);
  const int32_t w = std::min({src.width(), dst.width(), clip.right});
  const int32_t h = std::min({src.height(), dst.height(), clip.bottom});
  if (w <= left || h <= top) return;
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&impl_->r, &n);
  for (int i = 0; i < n; ++i) {
    const int32_t x0 = std::max(boxes[i].x1, left);
    const int32_t x1 = std::min(boxes[i].x2, w);
    const int32_t y0 = std::max(boxes[i].y1, top);
    const int32_t y1 = std::min(boxes[i].y2, h);
    if (x1 <= x0) continue;
    for (int32_t y = y0; y < y1; ++y) {
      std::memcpy(dst.scanline(y) + x0, src.scanline(y) + x0, size_t(x1 - x0) * sizeof(Pixel));
    }
  }
}

}  // namespace tp
