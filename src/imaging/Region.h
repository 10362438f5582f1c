#pragma once
// A clip region: a set of pixels held as non-overlapping rectangles (over pixman's
// pixman_region32). A rectangle (left, top, right, bottom) covers left <= x < right and
// top <= y < bottom. Polygons (winding rule), ellipses and rounded rectangles are
// rasterised here into row spans.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

struct RegionPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// Row-span rasterisers: append one 1-pixel-tall rectangle per covered run of pixels
// (pixel centres decide coverage) inside `clip`, so several shapes can be joined into one
// region in a single step. Polygons use the winding rule. A box with right <= left or
// bottom <= top covers nothing; the corner ellipse is clamped to the box.
// unitsPerPixel > 1 gives vertices in fractions of a pixel (2: half pixels).
void AppendPolygonSpans(std::span<const RegionPoint> points, const Rect& clip,
                        std::vector<Rect>& out, int unitsPerPixel = 1);
void AppendRoundRectSpans(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight, const Rect& clip,
                          std::vector<Rect>& out);

class Region {
 public:
  Region();  // empty
  ~Region();
  Region(const Region& other);
  Region(Region&& other);
  Region& operator=(const Region& other);
  Region& operator=(Region&& other) noexcept;

  static Region FromRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // The union of all rectangles, built in one step; empty rectangles are ignored.
  static Region FromRects(std::span<const Rect> rects);
  // Shapes are rasterised only inside `clip` (pixel centres decide coverage), which keeps
  // the work bounded by the clip however far a shape reaches.
  static Region Polygon(std::span<const RegionPoint> points, const Rect& clip,
                        int unitsPerPixel = 1);
  static Region Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom,
                        const Rect& clip);
  // Rounded rectangle: bounding box and the width and height of the corner ellipse
  // (clamped to the box).
  static Region RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight, const Rect& clip);

  Region Union(const Region& other) const;
  Region Intersect(const Region& other) const;
  Region Subtract(const Region& other) const;
  // Pixels in exactly one of the two: union minus intersection.
  Region Xor(const Region& other) const;
  // Region limited to a rectangle.
  Region Clipped(const Rect& rect) const;

  bool empty() const;
  Rect bounds() const;
  bool Contains(int32_t x, int32_t y) const;
  // Number of covered pixels.
  int64_t Area() const;
  // The rectangles, sorted by bands top to bottom, left to right, non-overlapping.
  std::vector<Rect> Rectangles() const;
  size_t RectangleCount() const;

  // Copies src into dst at the same coordinates wherever the region covers (both clipped
  // to the two bitmaps).
  void CopyThrough(const Bitmap32& src, Bitmap32& dst) const;
  // The same, further limited to clip.
  void CopyThrough(const Bitmap32& src, Bitmap32& dst, const Rect& clip) const;

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace tp
