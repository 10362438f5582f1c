#include <gtest/gtest.h>

#include "presentation/PictureLoading.h"
#include "presentation/PresentationState.h"

namespace tp {
namespace {

TEST(FitProportional, WidePictureBindsTheWidth) {
  EXPECT_EQ(FitProportional(4000, 1000, 1280, 1024), (Size{1280, 320}));
}

TEST(FitProportional, TallPictureBindsTheHeight) {
  EXPECT_EQ(FitProportional(1000, 4000, 1280, 1024), (Size{256, 1024}));
}

TEST(FitProportional, SameAspectFillsTheTargetAndHalvesRoundToEven) {
  EXPECT_EQ(FitProportional(640, 512, 1280, 1024), (Size{1280, 1024}));
  // 3x2 on 5x5: the width binds, 5 / 1.5 = 3.33 -> 3.
  EXPECT_EQ(FitProportional(3, 2, 5, 5), (Size{5, 3}));
  // 10x5 on 5x5: 5 / 2 = 2.5 rounds to the even 2; 6x5 on 5x5: 5 / 1.2 = 4.17 -> 4.
  EXPECT_EQ(FitProportional(10, 5, 5, 5), (Size{5, 2}));
  EXPECT_EQ(FitProportional(6, 5, 5, 5), (Size{5, 4}));
  // 2 / 4 = 0.5 rounds to 0; kept at one row so the picture stays drawable.
  EXPECT_EQ(FitProportional(4, 1, 2, 2), (Size{2, 1}));
}

TEST(FitProportional, HugeSidesDoNotOverflowTheProduct) {
  EXPECT_EQ(FitProportional(100000, 100000, 40000, 30000), (Size{30000, 30000}));
}

TEST(WorkingResolution, QualityLevelsAndOutOfRangeValues) {
  EXPECT_EQ(WorkingResolution(0), (Size{1024, 768}));
  EXPECT_EQ(WorkingResolution(1), (Size{800, 600}));
  EXPECT_EQ(WorkingResolution(2), (Size{640, 480}));
  EXPECT_EQ(WorkingResolution(9), (Size{800, 600}));
  EXPECT_EQ(WorkingResolution(-1), (Size{800, 600}));
}

PresentationState Screen(int w, int h, bool stretch, bool proportional, int pw, int ph) {
  PresentationState s;
  s.screenWidth = w;
  s.screenHeight = h;
  s.stretch = stretch;
  s.proportional = proportional;
  s.pictureWidth = pw;
  s.pictureHeight = ph;
  return s;
}

TEST(PresentationOffset, CentresTruncatingTowardZero) {
  EXPECT_EQ(PresentationOffset(Screen(1280, 1024, false, false, 1280, 1024)), (Point{0, 0}));
  EXPECT_EQ(PresentationOffset(Screen(1280, 1024, false, false, 1279, 1024)), (Point{0, 0}));
  EXPECT_EQ(PresentationOffset(Screen(1280, 1024, false, false, 1381, 1024)), (Point{-50, 0}));
  EXPECT_EQ(PresentationOffset(Screen(1280, 1024, true, true, 1280, 320)), (Point{0, 352}));
  EXPECT_EQ(PresentationOffset(Screen(1280, 1024, true, true, 256, 1024)), (Point{512, 0}));
  // Proportional without stretch: original size, centred.
  EXPECT_EQ(PresentationOffset(Screen(1280, 1024, false, true, 200, 100)), (Point{540, 462}));
  // Full stretch never moves the picture.
  EXPECT_EQ(PresentationOffset(Screen(1280, 1024, true, false, 200, 100)), (Point{0, 0}));
}

TEST(IsPlainPicturePath, ExtensionDecidesInAnyCase) {
  EXPECT_TRUE(IsPlainPicturePath("/a/b/photo.jpg"));
  EXPECT_TRUE(IsPlainPicturePath("C:\\show\\photo.JpG"));
  EXPECT_TRUE(IsPlainPicturePath("x.BMP"));
  EXPECT_TRUE(IsPlainPicturePath("x.gif"));
  EXPECT_FALSE(IsPlainPicturePath("x.jpeg"));
  EXPECT_FALSE(IsPlainPicturePath("x.mpp"));
  EXPECT_FALSE(IsPlainPicturePath("noextension"));
  EXPECT_FALSE(IsPlainPicturePath("dir.jpg/inside"));
  EXPECT_FALSE(IsPlainPicturePath("x.jpg.mpp"));
}

Bitmap32 Solid(int w, int h, Pixel p) {
  Bitmap32 b(w, h);
  b.Fill(p);
  return b;
}

TEST(FitPlainPicture, SizeModesGiveTheFittedSizeAndPictureSize) {
  const Bitmap32 picture = Solid(4000, 1000, MakePixel(200, 10, 10, 255));
  PresentationState proportional = Screen(1280, 1024, true, true, 0, 0);
  FitPlainPicture(picture, proportional);
  EXPECT_EQ(proportional.fittedPicture.width(), 1280);
  EXPECT_EQ(proportional.fittedPicture.height(), 320);
  EXPECT_EQ(proportional.pictureWidth, 1280);
  EXPECT_EQ(proportional.pictureHeight, 320);
  // A solid picture stays solid through the resampler.
  EXPECT_EQ(proportional.fittedPicture.at(640, 160), picture.at(0, 0));

  PresentationState full = Screen(1280, 1024, true, false, 0, 0);
  FitPlainPicture(picture, full);
  EXPECT_EQ(full.fittedPicture.width(), 1280);
  EXPECT_EQ(full.fittedPicture.height(), 1024);

  PresentationState original = Screen(1280, 1024, false, true, 0, 0);
  const Bitmap32 small = Solid(30, 20, MakePixel(1, 2, 3, 255));
  FitPlainPicture(small, original);
  EXPECT_TRUE(original.fittedPicture == small);
  EXPECT_EQ(original.pictureWidth, 30);
}

TEST(FitPlainPicture, ScaledPathFillsTheWorkingResolutionWhateverTheSizeMode) {
  const Bitmap32 picture = Solid(300, 900, MakePixel(5, 6, 7, 255));
  for (bool stretch : {false, true}) {
    PresentationState s = Screen(1920, 1080, stretch, true, 0, 0);
    s.directDrawInUse = true;
    s.directXQuality = 2;
    FitPlainPicture(picture, s);
    EXPECT_EQ(s.fittedPicture.width(), 640);
    EXPECT_EQ(s.fittedPicture.height(), 480);
    EXPECT_EQ(s.pictureWidth, 1920);
    EXPECT_EQ(s.pictureHeight, 1080);
  }
}

TEST(LoadAndFitPlainPicture, UndecodableFileThrowsAndKeepsTheState) {
  PresentationState s = Screen(100, 100, false, false, 7, 8);
  s.fittedPicture = Solid(7, 8, 42);
  EXPECT_ANY_THROW(LoadAndFitPlainPicture("/nonexistent/picture.jpg", s));
  EXPECT_EQ(s.pictureWidth, 7);
  EXPECT_EQ(s.fittedPicture.at(0, 0), 42u);
}

}  // namespace
}  // namespace tp
