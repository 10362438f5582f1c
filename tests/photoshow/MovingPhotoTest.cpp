// A moving picture made ready and drawn: prepared at the size its closest view needs and no
// larger than its own, the fill made only where a view leaves the screen to it, and frames
// that show the fill around the picture and the picture's own detail when close.
#include <gtest/gtest.h>

#include "photoshow/MovingPhoto.h"

namespace tp {
namespace {

constexpr int kW = 320, kH = 180;
constexpr Pixel kColour = MakePixel(200, 160, 120, 0xFF);

PhotoLook Look(PhotoFill fill, PhotoMotion motion) { return PhotoLook{fill, kDefaultCropLimitPercent, motion}; }

Bitmap32 Solid(int w, int h, Pixel colour = kColour) {
  Bitmap32 b(w, h);
  b.Fill(colour);
  return b;
}

TEST(MovingPhoto, PreparedAtTheClosestViewsSizeNeverBeyondItsOwn) {
  // The screen's shape, fitted at 0.1: strong needs 0.135 of it.
  MovingPhoto m = ComposeMoving(Solid(3200, 1800), 3200, 1800, kW, kH, Look(PhotoFill::Blur, PhotoMotion::Strong));
  EXPECT_EQ(m.picture.width(), 432);
  EXPECT_EQ(m.picture.height(), 243);
  // Decoded at a quarter of a 6400 x 3600 file: the size is the original's still.
  m = ComposeMoving(Solid(1600, 900), 6400, 3600, kW, kH, Look(PhotoFill::Blur, PhotoMotion::Gentle));
  EXPECT_EQ(m.picture.width(), 368);
  EXPECT_EQ(m.originalWidth, 6400);
  // A small picture is kept as it is.
  m = ComposeMoving(Solid(100, 60), 0, 0, kW, kH, Look(PhotoFill::Blur, PhotoMotion::Strong));
  EXPECT_EQ(m.picture.width(), 100);
  EXPECT_EQ(m.originalHeight, 60);
  EXPECT_NEAR(LargestMotionScale(3200, 1800, kW, kH, Look(PhotoFill::Blur, PhotoMotion::Strong)), 0.135, 1e-9);
}

TEST(MovingPhoto, TheFillIsMadeOnlyWhereAViewLeavesTheScreenToIt) {
  const PhotoLook blur = Look(PhotoFill::Blur, PhotoMotion::Gentle);
  // 4:3 fitted leaves bands; a pan covers the screen all along.
  EXPECT_EQ(ComposeMoving(Solid(400, 300), 0, 0, kW, kH, blur).background.width(), kW);
  EXPECT_TRUE(ComposeMoving(Solid(1600, 200), 0, 0, kW, kH, blur).background.empty());
  EXPECT_TRUE(ComposeMoving(Solid(400, 300), 0, 0, kW, kH, Look(PhotoFill::Bars, PhotoMotion::Gentle))
                  .background.empty());
}

TEST(MovingPhoto, AFrameShowsTheFillAroundThePictureAndItsDetailWhenClose) {
  // Stripes one pixel wide on a 4:3 picture that strong motion shows at 1:1 when closest.
  Bitmap32 stripes(324, 243);
  for (int y = 0; y < stripes.height(); ++y)
    for (int x = 0; x < stripes.width(); ++x) stripes.at(x, y) = x % 2 ? MakePixel(255, 255, 255, 255) : MakePixel(0, 0, 0, 255);
  const MovingPhoto m = ComposeMoving(stripes, 0, 0, kW, kH, Look(PhotoFill::Bars, PhotoMotion::Strong));
  ASSERT_EQ(m.picture.width(), 324);
  const MotionPath p = PathOf(m, {});
  Bitmap32 frame(kW, kH);
  frame.Fill(MakePixel(1, 2, 3));
  // At rest, shrunk 1.35 times: black bands beside it, and the stripes an even grey rather
  // than the beats that sampling them would give.
  const PictureView rest = ViewAt(p, 0);
  ASSERT_EQ(rest.x, 40);
  DrawMovingFrame(m, rest, frame);
  EXPECT_EQ(frame.at(5, 90) & 0xFFFFFFu, 0u);
  EXPECT_EQ(frame.at(kW - 5, 90) & 0xFFFFFFu, 0u);
  for (int x = rest.x + 2; x < rest.x + rest.width - 2; ++x) EXPECT_NEAR(PixelG(frame.at(x, 90)), 128, 40) << x;
  // Closest, every stripe of the picture's own.
  const PictureView close = ViewAt(p, 1);
  ASSERT_EQ(close.width, kW);
  DrawMovingFrame(m, close, frame);
  for (int x = 0; x + 1 < kW; ++x) EXPECT_GT(std::abs(PixelG(frame.at(x, 90)) - PixelG(frame.at(x + 1, 90))), 200) << x;
}

}  // namespace
}  // namespace tp
