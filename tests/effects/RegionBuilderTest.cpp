// The region builder: the rectangle collector, the bar, shred and speckle shapes on a
// 1280 x 1024 screen, polygons and rotated points.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/ProgramRandom.h"
#include "effects/ComplexRegion.h"

namespace tp {
namespace {

constexpr int kW = 1280, kH = 1024;
const Rect kScreen{0, 0, kW, kH};

struct Lcg {
  uint32_t seed;
  int Next(int n) {
    seed = seed * 134775813u + 1u;
    return int((uint64_t(seed) * uint64_t(n)) >> 32);
  }
};

int64_t ScreenArea(const std::optional<Region>& r) {
  return r ? r->Clipped(kScreen).Area() : 0;
}

TEST(TComplexRegion, GrowsByFiveHundredAndKeepsBounds) {
  TComplexRegion c;
  EXPECT_EQ(c.capacity(), 0);
  EXPECT_FALSE(c.MakeRegion().has_value());  // nothing added: no region
  EXPECT_EQ(c.bounds(), (Rect{INT_MAX, INT_MAX, -INT_MAX, -INT_MAX}));
  for (int i = 0; i < 500; ++i) c.AddRect(i, 0, i + 1, 1);
  EXPECT_EQ(c.capacity(), 500);
  c.AddRect(-5, -7, 3, 2);
  EXPECT_EQ(c.count(), 501);
  EXPECT_EQ(c.capacity(), 1000);
  EXPECT_EQ(c.bounds(), (Rect{-5, -7, 500, 2}));
  c.clear();
  EXPECT_EQ(c.count(), 0);
  EXPECT_EQ(c.capacity(), 0);
  EXPECT_EQ(c.bounds().left, INT_MAX);
  EXPECT_EQ(c.bounds().bottom, -INT_MAX);
}

TEST(TComplexRegion, RegionIsTheUnionOfOverlappingAndUnorderedRectangles) {
  TComplexRegion c;
  c.AddRect(10, 10, 20, 20);
  c.AddRect(0, 0, 15, 15);    // overlaps the first
  c.AddRect(30, 5, 30, 50);   // empty: covers nothing
  c.AddRect(40, 40, 35, 45);  // right before left: nothing
  c.AddRect(12, 12, 18, 18);  // inside the first
  const auto r = c.MakeRegion();
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->Area(), 100 + 225 - 25);
  EXPECT_TRUE(r->Contains(19, 19));
  EXPECT_FALSE(r->Contains(20, 20));  // right and bottom edges excluded
  EXPECT_FALSE(r->Contains(16, 2));
  // The collector may be reused after making its region.
  c.AddRect(100, 100, 101, 101);
  EXPECT_EQ(c.MakeRegion()->Area(), 301);
}

TEST(BarsRegion, HalfTheExtentBringsTheEvenBandsAndTheRestTheOdd) {
  // e = 1024 div 50 + 1 = 21; bands start every 21 rows.
  auto evenRowsOnScreen = [] {
    int rows = 0;
    for (int y = 0; y < kH; ++y) rows += (y / 21) % 2 == 0;
    return rows;
  };
  for (int mode : {1, 2, 4, 5}) {
    const auto half = BarsRegion(kW, 0, kW, 0, mode, kH);
    EXPECT_EQ(ScreenArea(half), int64_t(evenRowsOnScreen()) * kW) << "mode " << mode;
    EXPECT_TRUE(half->Contains(0, 20) && half->Contains(kW - 1, 42)) << "mode " << mode;
    EXPECT_FALSE(half->Contains(0, 21) || half->Contains(kW - 1, 41)) << "mode " << mode;
    EXPECT_EQ(ScreenArea(BarsRegion(2 * kW, 0, kW, 0, mode, kH)), int64_t(kW) * kH)
        << "mode " << mode;
  }
  // Direction of travel in each half.
  const auto right = BarsRegion(kW / 2, 0, kW, 0, 1, kH);
  EXPECT_TRUE(right->Contains(kW / 2, 0));
  EXPECT_FALSE(right->Contains(kW / 2 - 1, 0));
  const auto left = BarsRegion(kW / 2, 0, kW, 0, 2, kH);
  EXPECT_TRUE(left->Contains(kW / 2 - 1, 0));
  EXPECT_FALSE(left->Contains(kW / 2, 0));
  // Mode 4: the odd bands come from the right in the second half; mode 5 from the left.
  const auto bounceBack = BarsRegion(kW + kW / 4, 0, kW, 0, 4, kH);
  EXPECT_TRUE(bounceBack->Contains(kW - 1, 21));
  EXPECT_FALSE(bounceBack->Contains(0, 21));
  const auto bounceOther = BarsRegion(kW + kW / 4, 0, kW, 0, 5, kH);
  EXPECT_TRUE(bounceOther->Contains(0, 21));
  EXPECT_FALSE(bounceOther->Contains(kW - 1, 21));
  // Mode 3: both sets at once from opposite sides, complete at ax = W.
  const auto both = BarsRegion(kW / 4, 0, kW, 0, 3, kH);
  EXPECT_TRUE(both->Contains(0, 21) && both->Contains(kW - 1, 0));
  EXPECT_FALSE(both->Contains(kW - 1, 21) || both->Contains(0, 0));
  EXPECT_EQ(ScreenArea(BarsRegion(kW, 0, kW, 0, 3, kH)), int64_t(kW) * kH);
}

TEST(BarsRegion, VerticalBandsOfColumns) {
  const auto top = BarsRegion(0, kH, kW, 2, 0, kH);
  int evenColumns = 0;
  for (int x = 0; x < kW; ++x) evenColumns += (x / 21) % 2 == 0;
  EXPECT_EQ(ScreenArea(top), int64_t(evenColumns) * kH);
  const auto bottom = BarsRegion(0, kH / 2, kW, 1, 0, kH);
  EXPECT_TRUE(bottom->Contains(0, kH - 1));
  EXPECT_FALSE(bottom->Contains(0, kH / 2 - 1));
  EXPECT_FALSE(bottom->Contains(21, kH - 1));
  EXPECT_EQ(ScreenArea(BarsRegion(0, 2 * kH, kW, 5, 0, kH)), int64_t(kW) * kH);
  // Both directions at once: the union of the two parts.
  EXPECT_EQ(ScreenArea(BarsRegion(2 * kW, 2 * kH, kW, 1, 2, kH)), int64_t(kW) * kH);
  EXPECT_FALSE(BarsRegion(5, 5, 0, 1, 1, kH).has_value());  // no width: nothing
}

TEST(UnevenShredRegion, FullExtentMeansExactStripsAndFullCoverage) {
  for (int mode = 1; mode <= 4; ++mode) {
    EXPECT_EQ(ScreenArea(UnevenShredRegion(kW, 0, kW, 0, mode, kH)), int64_t(kW) * kH)
        << "horizontal mode " << mode;
    EXPECT_EQ(ScreenArea(UnevenShredRegion(0, kH, kW, mode, 0, kH)), int64_t(kW) * kH)
        << "vertical mode " << mode;
  }
}

TEST(UnevenShredRegion, StripsJitterByATenthAndAdvanceTheGenerator) {
  // e = 1024 div 200 + 1 = 6; strips start every 6 rows and reach 6 + 1024 mod 6 = 10.
  ProgramRandom::SetSeed(2024);
  TComplexRegion c;
  AddUnevenShreds(c, 600, 0, kW, 0, 1, kH);
  const int strips = (kH + 5) / 6;
  ASSERT_EQ(c.count(), strips);
  Lcg expected{2024};
  for (int i = 0; i < strips; ++i) {
    const Rect& r = c.rects()[size_t(i)];
    const int length = expected.Next(256) + 600 - 128;
    EXPECT_EQ(r, (Rect{kW - length, 6 * i, kW, 6 * i + 10})) << "strip " << i;
  }
  EXPECT_EQ(ProgramRandom::Seed(), expected.seed);
}

TEST(SpeckleRegion, ZoneSizeCellsAndDenseLimitOnAWideScreen) {
  // Zone 128, speckle size 6, 21 cells, dense limit 16, row step 3.
  ProgramRandom::SetSeed(77);
  TComplexRegion c;
  const int ax = 300, edge = kW - ax;
  AddSpeckles(c, ax, 0, kW, 0, 1, kH);
  Lcg expected{77};
  std::vector<Rect> want;
  for (int y = 0; y < kH; y += 3) {
    want.push_back(Rect{edge, y, kW, y + 6});
    for (int i = 21; i >= 1; --i) {
      const int draw = expected.Next(i);
      if (i <= 16 ? draw <= 1 : draw == 0) want.push_back(Rect{edge - 6 * i, y, edge - 6 * i + 6, y + 6});
    }
  }
  ASSERT_EQ(c.count(), int(want.size()));
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(c.rects()[i], want[i]) << "rectangle " << i;
  EXPECT_EQ(ProgramRandom::Seed(), expected.seed);
  // At the full extent the zone is gone and the solid part covers everything.
  EXPECT_EQ(ScreenArea(SpeckleRegion(kW, 0, kW, 0, 2, kH)), int64_t(kW) * kH);
  EXPECT_EQ(ScreenArea(SpeckleRegion(0, kH, kW, 1, 0, kH)), int64_t(kW) * kH);
}

TEST(PolygonRegion, HighestIndexSetsTheVertexCount) {
  const std::vector<int> square = {0, 0, 100, 0, 100, 100, 0, 100};
  const Rect clip{0, 0, 200, 200};
  const Region triangle = PolygonRegion(square, 5, clip);
  EXPECT_NEAR(double(triangle.Area()), 5000.0, 100.0);
  EXPECT_TRUE(triangle.Contains(90, 10));
  EXPECT_FALSE(triangle.Contains(10, 90));
  EXPECT_EQ(PolygonRegion(square, 7, clip).Area(), 10000);
  // Winding fill: a five-pointed star drawn in one stroke keeps its centre.
  const std::vector<int> star = {100, 0, 160, 190, 5, 70, 195, 70, 40, 190};
  EXPECT_TRUE(PolygonRegion(star, 9, clip).Contains(100, 100));
}

TEST(RotatePoints, TurnsAboutTheCentreAndRounds) {
  std::vector<int> pts = {10, 0, 0, 5};
  RotatePoints(pts, 1, 0, std::numbers::pi / 2, 0);
  EXPECT_EQ(pts, (std::vector<int>{0, 10, -5, 0}));
  // Only points up to the highest index move.
  std::vector<int> half = {7, 5, 9, 9};
  RotatePoints(half, 0, 5, std::numbers::pi, 5);
  EXPECT_EQ(half, (std::vector<int>{3, 5, 9, 9}));
  // An eighth of a turn: (10, 0) goes to (7.07..., 7.07...) and rounds to (7, 7).
  std::vector<int> eighth = {110, 50};
  RotatePoints(eighth, 0, 100, std::numbers::pi / 4, 50);
  EXPECT_EQ(eighth, (std::vector<int>{107, 57}));
}

}  // namespace
}  // namespace tp
