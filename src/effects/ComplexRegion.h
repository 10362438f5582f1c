#pragma once
// The region builder: a collector of rectangles turned into one region in a single step,
// and the shaping operations of the bar, shred and speckle effects.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "imaging/Rect.h"
#include "imaging/Region.h"

namespace tp {

// Collects rectangles (any order, may overlap; empty ones cover nothing). The buffer
// grows by 500 rectangles at a time and is only released by clear or destruction.
class TComplexRegion {
 public:
  static constexpr int kGrowth = 500;

  TComplexRegion() { clear(); }

  void clear();
  void AddRect(int left, int top, int right, int bottom);
  // The union of everything added, built in one step; no region when nothing was added.
  std::optional<Region> MakeRegion() const;

  int count() const { return int(rects_.size()); }
  int capacity() const { return capacity_; }
  // Smallest left and top, largest right and bottom of all rectangles added.
  const Rect& bounds() const { return bounds_; }
  std::span<const Rect> rects() const { return rects_; }

 private:
  std::vector<Rect> rects_;
  int capacity_ = 0;
  Rect bounds_;
};

// Bars of thickness Min(w, h) div 50 + 1 sliding in; modes 1..5 (0: none in that
// direction). Horizontal bands move sideways driven by ax, vertical ones by ay.
std::optional<Region> BarsRegion(int ax, int ay, int w, int verticalMode, int horizontalMode,
                                 int h);
// Thin strips of jittered length drawn from the running program random generator.
std::optional<Region> UnevenShredRegion(int ax, int ay, int w, int verticalMode,
                                        int horizontalMode, int h);
// A solid front with speckles ahead of it, drawn from the running generator.
std::optional<Region> SpeckleRegion(int ax, int ay, int w, int verticalMode, int horizontalMode,
                                    int h);

// Adders used by the effects to put all shapes of one frame into one collector.
void AddBars(TComplexRegion& region, int ax, int ay, int w, int verticalMode,
             int horizontalMode, int h);
void AddUnevenShreds(TComplexRegion& region, int ax, int ay, int w, int verticalMode,
                     int horizontalMode, int h);
void AddSpeckles(TComplexRegion& region, int ax, int ay, int w, int verticalMode,
                 int horizontalMode, int h);

// coordinates: x0, y0, x1, y1, ...; (highestIndex + 1) div 2 vertices; winding fill,
// rasterised inside clip.
Region PolygonRegion(std::span<const int> coordinates, int highestIndex, const Rect& clip);

// Turns points 0..highestPointIndex (x, y pairs) about (cx, cy) by angle (radians),
// rounding half to even.
void RotatePoints(std::span<int> points, int highestPointIndex, int cx, double angle, int cy);

}  // namespace tp
