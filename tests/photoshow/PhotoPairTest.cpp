// Two portrait pictures side by side: the halves and the gap of a landscape screen, none on
// a portrait one; each picture composed into its half with the fill and its view moved
// there; a picture that fails left out, a cancel still ending the work.
#include <gtest/gtest.h>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"
#include "photoshow/PhotoPair.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

constexpr int kW = 320, kH = 180;
constexpr Pixel kRed = MakePixel(220, 30, 30, 0xFF), kBlue = MakePixel(30, 30, 220, 0xFF);

Bitmap32 Solid(int w, int h, Pixel colour) {
  Bitmap32 b(w, h);
  b.Fill(colour);
  return b;
}

bool IsBlack(Pixel p) { return (p & 0xFFFFFFu) == 0; }

TEST(PhotoPair, OnlyALandscapeScreenHasHalvesWithAThinGap) {
  const PairHalves wide = HalvesOf(1920, 1080);  // a gap of 19: a 100th of the width
  EXPECT_EQ(wide.width, 950);
  EXPECT_EQ(wide.rightX, 970);
  const PairHalves small = HalvesOf(150, 100);  // a 100th would be 1: at least 2
  EXPECT_EQ(small.width, 74);
  EXPECT_EQ(small.rightX, 76);
  EXPECT_EQ(HalvesOf(1080, 1920).width, 0);
  EXPECT_EQ(HalvesOf(500, 500).width, 0);
  EXPECT_EQ(HalvesOf(3, 2).width, 0);  // no pixel left for a half
  EXPECT_EQ(HalvesOf(4, 2).width, 1);
  EXPECT_EQ(HalvesOf(10, 0).width, 0);
}

TEST(PhotoPair, APortraitIsTallerThanWideOnceItsSizeIsKnown) {
  auto picture = [](int w, int h) {
    LibraryPicture p;
    p.width = w;
    p.height = h;
    return p;
  };
  EXPECT_TRUE(IsPortrait(picture(300, 400)));
  EXPECT_TRUE(IsPortrait(picture(1, 20000)));
  EXPECT_FALSE(IsPortrait(picture(400, 300)));
  EXPECT_FALSE(IsPortrait(picture(1, 1)));
  EXPECT_FALSE(IsPortrait(picture(0, 0)));  // the header pass has not read it yet
  EXPECT_FALSE(IsPortrait(picture(0, 50)));
}

TEST(PhotoPair, EachPictureIsComposedIntoItsHalfWithTheFill) {
  const PairHalves halves = HalvesOf(kW, kH);  // 158 wide, the right one from 162
  ASSERT_EQ(halves.width, 158);
  for (PhotoFill fill : {PhotoFill::Bars, PhotoFill::Blur, PhotoFill::Crop}) {
    SCOPED_TRACE(PhotoFillName(fill));
    const PhotoLook look{fill, kDefaultCropLimitPercent};
    // 60 x 80 fits its half as 135 x 180, or is cut by 15% to cover it (within the limit).
    const ComposedPhoto left = ComposePhoto(Solid(60, 80, kRed), 0, 0, halves.width, kH, look);
    const ComposedPhoto right = ComposePhoto(Solid(60, 80, kBlue), 0, 0, halves.width, kH, look);
    const PairedPhoto pair = PlacePair(left, right, kW, kH);
    ASSERT_EQ(pair.shown.picture.width(), kW);
    ASSERT_EQ(pair.shown.picture.height(), kH);
    EXPECT_EQ(pair.shown.width, kW);
    ASSERT_EQ(pair.views.size(), 2u);
    const PictureView& l = pair.views[0];
    const PictureView& r = pair.views[1];
    if (fill == PhotoFill::Crop) {
      EXPECT_EQ(l, (PictureView{0, 0, 158, 180, l.sourceX, l.sourceY, l.sourceWidth, l.sourceHeight}));
      EXPECT_EQ(r.x, 162);
      EXPECT_EQ(r.width, 158);
      EXPECT_LT(l.sourceHeight, 80);  // cut at the top and bottom
    } else {
      EXPECT_EQ(l, (PictureView{11, 0, 135, 180, 0, 0, 60, 80}));
      EXPECT_EQ(r, (PictureView{173, 0, 135, 180, 0, 0, 60, 80}));
    }
    const Bitmap32& s = pair.shown.picture;
    for (int y : {0, kH / 2, kH - 1}) {
      EXPECT_EQ(s.at(l.x + l.width / 2, y), kRed);
      EXPECT_EQ(s.at(r.x + r.width / 2, y), kBlue);
      for (int x = halves.width; x < halves.rightX; ++x) EXPECT_TRUE(IsBlack(s.at(x, y))) << x;
      // Beside each picture in its half: its own fill, never the other picture.
      for (int x = 0; x < l.x; ++x) {
        EXPECT_EQ(IsBlack(s.at(x, y)), fill == PhotoFill::Bars) << x;
        EXPECT_LT(PixelB(s.at(x, y)), 100) << x;
      }
      for (int x = r.x + r.width; x < kW; ++x) EXPECT_LT(PixelR(s.at(x, y)), 100) << x;
    }
  }
}

TEST(PhotoPair, APictureThatFailsIsLeftOutAndACancelEndsTheWork) {
  test::TempDir f;
  const std::vector<uint8_t> tall = EncodePng(Solid(1, 20000, kRed));
  ASSERT_TRUE(WriteFile(f / "tall.png", std::string(tall.begin(), tall.end())));
  const std::vector<uint8_t> good = EncodePng(Solid(60, 80, kBlue));
  ASSERT_TRUE(WriteFile(f / "good.png", std::string(good.begin(), good.end())));
  ASSERT_TRUE(WriteFile(f / "cut.png", std::string(good.begin(), good.begin() + 60)));
  const PhotoLook look{PhotoFill::Blur, kDefaultCropLimitPercent};

  // A 1 x 20000 picture keeps at least a pixel's width in its half.
  PairHalvesPrepared both = PreparePairHalves(f / "tall.png", f / "good.png", kW, kH, look);
  ASSERT_TRUE(both.halves[0] && both.halves[1]) << both.errors[0] << both.errors[1];
  EXPECT_GE(both.halves[0]->view.width, 1);
  EXPECT_EQ(both.halves[0]->view.height, kH);
  EXPECT_EQ(both.halves[0]->shown.picture.width(), 158);
  const PairedPhoto pair = PlacePair(*both.halves[0], *both.halves[1], kW, kH);
  EXPECT_EQ(pair.views[0].sourceHeight, 20000);

  for (const auto& [first, second] : {std::pair{"cut.png", "good.png"}, std::pair{"good.png", "missing.png"}}) {
    SCOPED_TRACE(std::string(first) + " " + second);
    const PairHalvesPrepared one = PreparePairHalves(f / first, f / second, kW, kH, look);
    const int bad = std::string(first) == "cut.png" ? 0 : 1;
    EXPECT_FALSE(one.halves[bad]);
    EXPECT_FALSE(one.errors[bad].empty());
    ASSERT_TRUE(one.halves[1 - bad]);
    EXPECT_TRUE(one.errors[1 - bad].empty());
  }

  const std::atomic<bool> cancelled{true};
  EXPECT_ANY_THROW(PreparePairHalves(f / "good.png", f / "good.png", kW, kH, look, &cancelled));
}

}  // namespace
}  // namespace tp
