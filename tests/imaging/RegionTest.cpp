// Regions: set operations with worked areas, rectangles excluding their right and bottom
// edges, polygons under the winding rule, ellipses and rounded rectangles (pixel centres
// decide), clipping, and copying through a region.
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/ImagingTestSupport.h"
#include "imaging/Region.h"

namespace tp {
namespace {

const Rect kBig{-1000, -1000, 1000, 1000};

TEST(Region, RectanglesExcludeTheirRightAndBottomEdges) {
  const Region r = Region::FromRect(0, 0, 4, 3);
  EXPECT_TRUE(r.Contains(0, 0));
  EXPECT_TRUE(r.Contains(3, 2));
  EXPECT_FALSE(r.Contains(4, 0));
  EXPECT_FALSE(r.Contains(0, 3));
  EXPECT_FALSE(r.Contains(-1, 0));
  EXPECT_EQ(r.Area(), 12);
  EXPECT_EQ(r.bounds(), (Rect{0, 0, 4, 3}));
  EXPECT_TRUE(Region::FromRect(5, 5, 5, 9).empty());
  EXPECT_TRUE(Region::FromRect(5, 5, 2, 9).empty());
  EXPECT_TRUE(Region().empty());
  EXPECT_EQ(Region().bounds(), Rect{});
}

TEST(Region, UnionIntersectionXorAndSubtract) {
  const Region a = Region::FromRect(0, 0, 4, 4), b = Region::FromRect(2, 2, 6, 6);
  EXPECT_EQ(a.Union(b).Area(), 28);
  EXPECT_EQ(a.Intersect(b).Area(), 4);
  EXPECT_EQ(a.Intersect(b).bounds(), (Rect{2, 2, 4, 4}));
  const Region x = a.Xor(b);
  EXPECT_EQ(x.Area(), 24);
  EXPECT_FALSE(x.Contains(2, 2));
  EXPECT_FALSE(x.Contains(3, 3));
  EXPECT_TRUE(x.Contains(0, 0));
  EXPECT_TRUE(x.Contains(5, 5));
  EXPECT_TRUE(x.Contains(3, 1));
  EXPECT_EQ(a.Subtract(b).Area(), 12);
  EXPECT_TRUE(a.Xor(a).empty());
  EXPECT_EQ(a.Xor(Region()).Area(), 16);
  EXPECT_TRUE(a.Intersect(Region::FromRect(4, 0, 8, 4)).empty());  // touching edges only
  EXPECT_EQ(a.Clipped(Rect{1, 1, 10, 2}).Area(), 3);

  // A list of overlapping rectangles in one step is their union.
  const Rect list[] = {{0, 0, 4, 4}, {2, 2, 6, 6}, {9, 9, 9, 12}, {1, 1, 3, 3}};
  const Region u = Region::FromRects(list);
  EXPECT_EQ(u.Area(), 28);
  for (const Rect& r : u.Rectangles()) EXPECT_FALSE(r.empty());
  EXPECT_EQ(u.RectangleCount(), u.Rectangles().size());
  // Copies and moves keep their own pixels.
  Region c = u;
  c = c.Subtract(a);
  EXPECT_EQ(u.Area(), 28);
  EXPECT_EQ(c.Area(), 12);
  Region m = std::move(c);
  EXPECT_EQ(m.Area(), 12);
}

TEST(RegionPolygon, SquareAndTriangleCoverPixelsWhoseCentresAreInside) {
  const RegionPoint square[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  const Region s = Region::Polygon(square, kBig);
  EXPECT_EQ(s.Rectangles(), (std::vector<Rect>{{0, 0, 4, 4}}));
  // Centres (x + 0.5, y + 0.5) with x + y + 1 < 4: rows of 3, 2 and 1 pixels; the
  // centres lying exactly on the slanted edge (x + y = 3) are outside.
  const RegionPoint tri[] = {{0, 0}, {4, 0}, {0, 4}};
  const Region t = Region::Polygon(tri, kBig);
  EXPECT_EQ(t.Area(), 6);
  EXPECT_TRUE(t.Contains(2, 0));
  EXPECT_FALSE(t.Contains(3, 0));
  EXPECT_TRUE(t.Contains(0, 2));
  EXPECT_FALSE(t.Contains(0, 3));
  // Half-pixel units: the same square given as 0..8 halves.
  const RegionPoint halves[] = {{0, 0}, {8, 0}, {8, 8}, {0, 8}};
  EXPECT_EQ(Region::Polygon(halves, kBig, 2).Rectangles(), (std::vector<Rect>{{0, 0, 4, 4}}));
  const RegionPoint line[] = {{0, 0}, {5, 5}};
  EXPECT_TRUE(Region::Polygon(line, kBig).empty());
}

TEST(RegionPolygon, WindingRuleFillsAreasCoveredTwice) {
  // A five-pointed star drawn in one stroke: the centre pentagon has winding number 2
  // (even-odd would leave it empty).
  std::vector<RegionPoint> star;
  for (int k = 0; k < 5; ++k) {
    const double a = -M_PI / 2 + k * 4 * M_PI / 5;
    star.push_back({int32_t(std::lround(100 + 90 * std::cos(a))), int32_t(std::lround(100 + 90 * std::sin(a)))});
  }
  const Region r = Region::Polygon(star, kBig);
  EXPECT_TRUE(r.Contains(100, 100));
  EXPECT_TRUE(r.Contains(100, 20));   // top point
  EXPECT_FALSE(r.Contains(40, 40));   // between two points
  // A square walked twice covers the same pixels as walked once; the reverse direction
  // is the same set (winding -1 is also inside).
  const RegionPoint twice[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {4, 0}, {4, 4}, {0, 4}};
  EXPECT_EQ(Region::Polygon(twice, kBig).Area(), 16);
  const RegionPoint reverse[] = {{0, 4}, {4, 4}, {4, 0}, {0, 0}};
  EXPECT_EQ(Region::Polygon(reverse, kBig).Area(), 16);
  // Outer square clockwise, inner square counter-clockwise, joined by a seam: a hole.
  const RegionPoint ring[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0},
                              {3, 3}, {3, 7},  {7, 7},   {7, 3},  {3, 3}};
  const Region h = Region::Polygon(ring, kBig);
  EXPECT_FALSE(h.Contains(5, 5));
  EXPECT_TRUE(h.Contains(1, 5));
  EXPECT_EQ(h.Area(), 100 - 16);
}

TEST(RegionPolygon, ClipBoundsTheWork) {
  const RegionPoint huge[] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
  const Region r = Region::Polygon(huge, Rect{0, 0, 10, 5});
  EXPECT_EQ(r.Area(), 50);
  EXPECT_EQ(r.bounds(), (Rect{0, 0, 10, 5}));
}

// Pixel centre inside the ellipse inscribed in the box (brute force).
bool CentreInEllipse(double cx, double cy, double rx, double ry, int x, int y) {
  const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
  return dx * dx + dy * dy < 1.0;
}

TEST(RegionEllipse, WorkedValuesAndPixelCentres) {
  const Region e = Region::Ellipse(0, 0, 10, 6, kBig);
  EXPECT_EQ(e.Rectangles(), (std::vector<Rect>{{2, 0, 8, 1}, {1, 1, 9, 2}, {0, 2, 10, 4}, {1, 4, 9, 5}, {2, 5, 8, 6}}));
  EXPECT_EQ(e.Area(), 48);
  for (auto [w, h] : {std::pair{7, 5}, std::pair{16, 9}, std::pair{1, 1}, std::pair{30, 31}}) {
    const Region r = Region::Ellipse(3, -2, 3 + w, -2 + h, kBig);
    for (int y = -3; y < h; ++y)
      for (int x = 2; x < 4 + w; ++x)
        EXPECT_EQ(r.Contains(x, y), CentreInEllipse(3 + w / 2.0, -2 + h / 2.0, w / 2.0, h / 2.0, x, y))
            << w << "x" << h << " at " << x << "," << y;
  }
  EXPECT_TRUE(Region::Ellipse(0, 0, 0, 5, kBig).empty());
  EXPECT_TRUE(Region::Ellipse(5, 0, 0, 5, kBig).empty());
  EXPECT_EQ(Region::Ellipse(0, 0, 10, 6, Rect{0, 0, 5, 3}).Area(), 6 / 2 + 8 / 2 + 10 / 2);
}

TEST(RegionRoundRect, CornersFollowTheCornerEllipse) {
  const Region r = Region::RoundRect(0, 0, 10, 10, 4, 4, kBig);
  EXPECT_EQ(r.Area(), 96);  // one pixel cut at each end of the first and last rows
  EXPECT_FALSE(r.Contains(0, 0));
  EXPECT_TRUE(r.Contains(1, 0));
  EXPECT_TRUE(r.Contains(0, 1));
  EXPECT_FALSE(r.Contains(9, 9));
  EXPECT_TRUE(r.Contains(8, 9));
  EXPECT_FALSE(r.Contains(10, 5));
  // Brute force: inside the box and, in a corner square, inside the corner ellipse.
  const int L = 2, T = 1, W = 21, H = 13, EW = 8, EH = 6;
  const Region g = Region::RoundRect(L, T, L + W, T + H, EW, EH, kBig);
  for (int y = T - 1; y <= T + H; ++y)
    for (int x = L - 1; x <= L + W; ++x) {
      const double cx = x + 0.5, cy = y + 0.5, rx = EW / 2.0, ry = EH / 2.0;
      bool in = cx > L && cx < L + W && cy > T && cy < T + H;
      const double ex = std::clamp(cx, L + rx, L + W - rx), ey = std::clamp(cy, T + ry, T + H - ry);
      if (in && (ex != cx && ey != cy)) in = CentreInEllipse(ex, ey, rx, ry, x, y);
      EXPECT_EQ(g.Contains(x, y), in) << x << "," << y;
    }
  // A zero corner is a plain rectangle; an oversized corner is clamped to the box (an ellipse).
  EXPECT_EQ(Region::RoundRect(0, 0, 5, 4, 0, 0, kBig).Rectangles(), (std::vector<Rect>{{0, 0, 5, 4}}));
  EXPECT_EQ(Region::RoundRect(0, 0, 10, 6, 50, 50, kBig).Rectangles(), Region::Ellipse(0, 0, 10, 6, kBig).Rectangles());
}

TEST(Region, CopyThroughCopiesCoveredPixelsOnly) {
  const Bitmap32 src = test::Numbered(4, 3);
  Bitmap32 dst(4, 3);
  Region r = Region::FromRect(1, 0, 3, 2).Union(Region::FromRect(-5, 2, 1, 10));
  r.CopyThrough(src, dst);
  EXPECT_EQ(test::Row(dst, 0), (std::vector<Pixel>{0, 2, 3, 0}));
  EXPECT_EQ(test::Row(dst, 1), (std::vector<Pixel>{0, 18, 19, 0}));
  EXPECT_EQ(test::Row(dst, 2), (std::vector<Pixel>{33, 0, 0, 0}));
  Bitmap32 limited(4, 3);
  r.CopyThrough(src, limited, Rect{2, 1, 4, 3});
  EXPECT_EQ(test::Row(limited, 0), (std::vector<Pixel>(4, 0)));
  EXPECT_EQ(test::Row(limited, 1), (std::vector<Pixel>{0, 0, 19, 0}));
  Bitmap32 small(2, 2);
  Region::FromRect(-100, -100, 100, 100).CopyThrough(src, small);
  EXPECT_EQ(test::Row(small, 1), (std::vector<Pixel>{17, 18}));
}

}  // namespace
}  // namespace tp
