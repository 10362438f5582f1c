// The paths pictures move along: wide and tall pictures pan end to end, pictures near the
// screen's shape zoom between their resting size and the most the motion allows, no view
// ever leaves the picture or magnifies it past its own pixels, and the position follows the
// clock with the motion at rest at both ends.
#include <gtest/gtest.h>

#include <cmath>

#include "photoshow/MovingPhoto.h"
#include "photoshow/PhotoMotion.h"

namespace tp {
namespace {

constexpr int kW = 1600, kH = 900;

MotionPath Plan(int w, int h, PhotoMotion motion = PhotoMotion::Gentle, MotionChoices c = {},
                PhotoFill fill = PhotoFill::Blur) {
  return PlanMotion(w, h, kW, kH, fill, kDefaultCropLimitPercent, motion, c);
}

// Screen pixels per picture pixel of a view, across and down.
double ScaleX(const PictureView& v) { return v.width / v.sourceWidth; }
double ScaleY(const PictureView& v) { return v.height / v.sourceHeight; }

// Every view along the path lies within the screen and the picture, keeps the picture's
// shape (to the rounding of the screen rectangle) and magnifies no more than allowed.
void ExpectViewsInside(const MotionPath& p, double mostScale) {
  for (int i = 0; i <= 50; ++i) {
    const PictureView v = ViewAt(p, i / 50.0);
    SCOPED_TRACE("u=" + std::to_string(i / 50.0));
    ASSERT_GE(v.x, 0);
    ASSERT_GE(v.y, 0);
    ASSERT_GE(v.width, 1);
    ASSERT_GE(v.height, 1);
    EXPECT_LE(v.x + v.width, p.screenWidth);
    EXPECT_LE(v.y + v.height, p.screenHeight);
    EXPECT_GE(v.sourceX, 0);
    EXPECT_GE(v.sourceY, 0);
    EXPECT_LE(v.sourceX + v.sourceWidth, p.pictureWidth + 1e-6);
    EXPECT_LE(v.sourceY + v.sourceHeight, p.pictureHeight + 1e-6);
    if (v.width > 20 && v.height > 20) {
      EXPECT_NEAR(ScaleX(v), ScaleY(v), 0.05 * ScaleX(v));
      EXPECT_LE(ScaleX(v), mostScale * 1.01);
    }
  }
}

TEST(PhotoMotion, NamesReadInAnyCase) {
  PhotoMotion m = PhotoMotion::Off;
  EXPECT_TRUE(ParsePhotoMotion("STRONG", m));
  EXPECT_EQ(m, PhotoMotion::Strong);
  EXPECT_FALSE(ParsePhotoMotion("wild", m));
  EXPECT_EQ(m, PhotoMotion::Strong);
  for (PhotoMotion each : {PhotoMotion::Off, PhotoMotion::Gentle, PhotoMotion::Strong}) {
    ASSERT_TRUE(ParsePhotoMotion(PhotoMotionName(each), m));
    EXPECT_EQ(m, each);
  }
}

TEST(PhotoMotion, AWidePictureCoversTheScreenAndPansFromEndToEnd) {
  // 4:1 on 16:9: covering the screen's height at 0.9, it is 3600 screen pixels wide.
  for (bool reverse : {false, true}) {
    SCOPED_TRACE(reverse);
    MotionChoices c;
    c.reverse = reverse;
    const MotionPath p = Plan(4000, 1000, PhotoMotion::Gentle, c);
    ExpectViewsInside(p, 0.9);
    const PictureView a = ViewAt(p, 0), b = ViewAt(p, 1), mid = ViewAt(p, 0.5);
    for (const PictureView& v : {a, b, mid}) {
      EXPECT_EQ((std::vector<int>{v.x, v.y, v.width, v.height}), (std::vector<int>{0, 0, kW, kH}));
      EXPECT_NEAR(v.sourceY, 0, 1e-6);
      EXPECT_NEAR(v.sourceHeight, 1000, 1e-6);
    }
    const double lastX = 4000 - kW / 0.9;
    EXPECT_NEAR(a.sourceX, reverse ? lastX : 0, 0.6);
    EXPECT_NEAR(b.sourceX, reverse ? 0 : lastX, 0.6);
    EXPECT_NEAR(mid.sourceX, lastX / 2, 0.6);
  }
  // The same for a portrait picture, down its height.
  const MotionPath tall = Plan(900, 3000);
  ExpectViewsInside(tall, 1.0);
  EXPECT_NEAR(ViewAt(tall, 0).sourceY, 0, 0.6);
  EXPECT_NEAR(ViewAt(tall, 1).sourceY + ViewAt(tall, 1).sourceHeight, 3000, 0.6);
  EXPECT_NEAR(ViewAt(tall, 1).sourceWidth, 900, 1e-6);
}

TEST(PhotoMotion, APictureNearTheScreensShapeZoomsBetweenRestAndTheMost) {
  // 3:2 on 16:9, fitted at 0.5 between narrow bands.
  for (PhotoMotion motion : {PhotoMotion::Gentle, PhotoMotion::Strong}) {
    for (bool reverse : {false, true}) {
      SCOPED_TRACE(std::string(PhotoMotionName(motion)) + (reverse ? " out" : " in"));
      MotionChoices c{reverse, 0.0, 1.0, 1.0, 0.0};
      const MotionPath p = Plan(2700, 1800, motion, c);
      const double most = 0.5 * MaxZoom(motion);
      EXPECT_NEAR(p.LargestScale(), most, 1e-9);
      ExpectViewsInside(p, most);
      const PictureView rest = ViewAt(p, reverse ? 1 : 0), close = ViewAt(p, reverse ? 0 : 1);
      // At rest the whole picture is fitted and centred.
      EXPECT_EQ((std::vector<int>{rest.x, rest.y, rest.width, rest.height}), (std::vector<int>{125, 0, 1350, 900}));
      EXPECT_NEAR(rest.sourceWidth, 2700, 1e-6);
      // Closest, it shows a part of it, over the whole screen at the most.
      EXPECT_NEAR(ScaleX(close), most, 0.01);
      EXPECT_LT(close.sourceHeight, 1800);
      EXPECT_NEAR(close.sourceHeight, kH / most, 0.6);
    }
  }
  // Different draws end in different places.
  const PictureView one = ViewAt(Plan(2700, 1800, PhotoMotion::Strong, {false, 0.5, 0.5, 0.0, 0.0}), 1);
  const PictureView two = ViewAt(Plan(2700, 1800, PhotoMotion::Strong, {false, 0.5, 0.5, 1.0, 1.0}), 1);
  EXPECT_GT(two.sourceX - one.sourceX, 50);
  EXPECT_GT(two.sourceY - one.sourceY, 50);
}

TEST(PhotoMotion, NoViewMagnifiesBeyondThePicturesOwnPixels) {
  // Just larger than the screen: strong would reach 1.2, held at 1:1.
  const MotionPath near = Plan(1700, 1000, PhotoMotion::Strong);
  EXPECT_NEAR(near.LargestScale(), 1.0, 1e-9);
  ExpectViewsInside(near, 1.0);
  // Smaller than the screen: fitting already enlarges it, and it stays still.
  const MotionPath small = Plan(400, 300, PhotoMotion::Strong);
  EXPECT_TRUE(small.Still());
  EXPECT_EQ(ViewAt(small, 0), ViewAt(small, 1));
  // A small panorama pans no larger than its own pixels, with the fill above and below.
  const MotionPath pano = Plan(3200, 400);
  EXPECT_NEAR(pano.LargestScale(), 1.0, 1e-9);
  EXPECT_EQ(ViewAt(pano, 0.5).height, 400);
  ExpectViewsInside(pano, 1.0);
  // Off rests; crop rests covering the screen and zooms on from there.
  EXPECT_TRUE(Plan(2700, 1800, PhotoMotion::Off).Still());
  const MotionPath crop = PlanMotion(3200, 2000, kW, kH, PhotoFill::Crop, 15, PhotoMotion::Gentle, {});
  EXPECT_NEAR(crop.start.scale, 0.5, 1e-9);
  EXPECT_NEAR(crop.end.scale, 0.575, 1e-9);
  const PictureView covered = ViewAt(crop, 0);
  EXPECT_EQ((std::vector<int>{covered.width, covered.height}), (std::vector<int>{kW, kH}));
}

TEST(PhotoMotion, AbsurdShapesAndLongPanoramasStayBounded) {
  for (const auto& [w, h] : {std::pair{1, 20000}, std::pair{20000, 1}, std::pair{1, 1}, std::pair{100000, 1000}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const MotionPath p = Plan(w, h, PhotoMotion::Strong);
    ExpectViewsInside(p, std::max(1.0, std::min(double(kW) / w, double(kH) / h)));
    // What the preparer makes for it: never more than six screens' worth.
    const double s = std::min(1.0, p.LargestScale());
    EXPECT_LE(double(w) * s * h * s, 6.0 * kW * kH + 1);
  }
  EXPECT_EQ(ViewAt(Plan(0, 10), 0.5), PictureView{});
}

TEST(PhotoMotion, ThePositionFollowsTheClockAndRestsAtBothEnds) {
  constexpr uint32_t kDuration = 10000;
  EXPECT_EQ(MotionProgress(0, kDuration), 0.0);
  EXPECT_EQ(MotionProgress(kDuration, kDuration), 1.0);
  EXPECT_EQ(MotionProgress(kDuration + 5000, kDuration), 1.0);  // a change that comes late
  EXPECT_NEAR(MotionProgress(kDuration / 2, kDuration), 0.5, 1e-9);
  // At rest at the ends: the first and last 1 % of the time move it by far less than 1 %.
  EXPECT_LT(MotionProgress(kDuration / 100, kDuration), 0.001);
  EXPECT_GT(MotionProgress(kDuration - kDuration / 100, kDuration), 0.999);
  // Fastest in the middle, and never backwards.
  double last = 0, fastest = 0;
  uint32_t fastestAt = 0;
  for (uint32_t t = 100; t <= kDuration; t += 100) {
    const double u = MotionProgress(t, kDuration);
    EXPECT_GE(u, last);
    if (u - last > fastest) fastest = u - last, fastestAt = t;
    last = u;
  }
  EXPECT_NEAR(double(fastestAt), kDuration / 2.0, 200);
  // A frame that comes late, 700 ms after the one before, shows the picture where it is at
  // its own time: along a pan, the eased share of the way.
  const MotionPath p = Plan(4000, 1000);
  const PictureView late = ViewAt(p, MotionProgress(2917, kDuration));
  EXPECT_GT(late.sourceX, ViewAt(p, MotionProgress(2217, kDuration)).sourceX + 20);
  EXPECT_NEAR(late.sourceX, (4000 - kW / 0.9) * MotionProgress(2917, kDuration), 0.6);
}

}  // namespace
}  // namespace tp
