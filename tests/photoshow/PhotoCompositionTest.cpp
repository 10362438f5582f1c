// A folder show's picture laid out on the screen: the blurred fill darker than the picture
// but not black, bars left to the black screen, a crop that covers the screen within its
// limit and falls back to the blur beyond it, and pictures of absurd shapes.
#include <gtest/gtest.h>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"
#include "photoshow/PhotoPreparation.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

constexpr int kW = 320, kH = 180;
constexpr Pixel kColour = MakePixel(200, 160, 120, 0xFF);

Bitmap32 Solid(int w, int h, Pixel colour = kColour) {
  Bitmap32 b(w, h);
  b.Fill(colour);
  return b;
}

bool Near(Pixel a, Pixel b, int tolerance = 2) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

// Every channel lit, and every one below the picture's own.
bool DarkerButNotBlack(Pixel p) {
  return PixelR(p) > 20 && PixelG(p) > 20 && PixelB(p) > 20 && PixelR(p) < PixelR(kColour) &&
         PixelG(p) < PixelG(kColour) && PixelB(p) < PixelB(kColour);
}

PhotoLook Look(PhotoFill fill, int limit = kDefaultCropLimitPercent) { return PhotoLook{fill, limit}; }

TEST(PhotoComposition, TheBlurredFillIsDarkerThanThePictureButNotBlack) {
  // 4:1 wide (bars above and below) and 9:16 tall (bars left and right).
  for (const auto& [w, h] : {std::pair{400, 100}, std::pair{90, 160}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const ComposedPhoto c = ComposePhoto(Solid(w, h), 0, 0, kW, kH, Look(PhotoFill::Blur));
    ASSERT_EQ(c.shown.picture.width(), kW);
    ASSERT_EQ(c.shown.picture.height(), kH);
    EXPECT_EQ(c.shown.width, kW);  // the whole screen: drawn at (0, 0)
    const PictureView& v = c.view;
    EXPECT_TRUE(v.width == kW || v.height == kH);
    EXPECT_EQ(v.x, (kW - v.width) / 2);
    EXPECT_EQ(v.y, (kH - v.height) / 2);
    EXPECT_EQ(v.sourceWidth, w);
    EXPECT_EQ(v.sourceHeight, h);
    int fill = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const Pixel p = c.shown.picture.at(x, y);
        if (x >= v.x && x < v.x + v.width && y >= v.y && y < v.y + v.height) {
          ASSERT_TRUE(Near(p, kColour)) << x << "," << y;
        } else {
          ASSERT_TRUE(DarkerButNotBlack(p)) << x << "," << y << " " << std::hex << p;
          ++fill;
        }
      }
    EXPECT_GT(fill, kW * kH / 4);
  }
  // A picture of the screen's shape needs no fill: nothing is dimmed.
  const ComposedPhoto same = ComposePhoto(Solid(640, 360), 0, 0, kW, kH, Look(PhotoFill::Blur));
  EXPECT_EQ(same.view, (PictureView{0, 0, kW, kH, 0, 0, 640, 360}));
  for (int y = 0; y < kH; y += 7)
    for (int x = 0; x < kW; x += 7) ASSERT_TRUE(Near(same.shown.picture.at(x, y), kColour));
}

TEST(PhotoComposition, ACropCoversTheScreenWithinItsLimitAndBlursBeyondIt) {
  // 16:10 on 16:9 cuts a tenth of the picture (top and bottom).
  EXPECT_NEAR(CropCut(400, 250, kW, kH), 0.1, 1e-9);
  const ComposedPhoto crop = ComposePhoto(Solid(400, 250), 0, 0, kW, kH, Look(PhotoFill::Crop));
  ASSERT_EQ(crop.shown.picture.width(), kW);
  ASSERT_EQ(crop.shown.picture.height(), kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_TRUE(Near(crop.shown.picture.at(x, y), kColour)) << x << "," << y;
  const PictureView& v = crop.view;
  EXPECT_EQ((PictureView{v.x, v.y, v.width, v.height}), (PictureView{0, 0, kW, kH}));
  EXPECT_EQ(v.sourceX, 0);
  EXPECT_EQ(v.sourceWidth, 400);
  EXPECT_NEAR(v.sourceY, (250 - v.sourceHeight) / 2, 0.5);  // the middle is kept
  EXPECT_LE(1.0 - v.sourceWidth * v.sourceHeight / (400.0 * 250.0), 0.15);
  EXPECT_GT(v.sourceHeight, 220);

  // 4:3 would lose a quarter: past the default limit it gets the blurred fill, within a
  // limit of 30 it is cropped.
  const ComposedPhoto past = ComposePhoto(Solid(400, 300), 0, 0, kW, kH, Look(PhotoFill::Crop));
  EXPECT_EQ(past.view, (PictureView{40, 0, 240, kH, 0, 0, 400, 300}));
  EXPECT_TRUE(DarkerButNotBlack(past.shown.picture.at(5, kH / 2)));
  const ComposedPhoto within = ComposePhoto(Solid(400, 300), 0, 0, kW, kH, Look(PhotoFill::Crop, 30));
  EXPECT_EQ(within.view.width, kW);
  EXPECT_TRUE(Near(within.shown.picture.at(5, kH / 2), kColour));
  // A limit of 0 crops only a picture of the screen's very shape.
  EXPECT_EQ(FillFor(400, 250, kW, kH, Look(PhotoFill::Crop, 0)), PhotoFill::Blur);
  EXPECT_EQ(FillFor(640, 360, kW, kH, Look(PhotoFill::Crop, 0)), PhotoFill::Crop);
  // A portrait on a landscape screen is never cropped.
  EXPECT_EQ(FillFor(90, 160, kW, kH, Look(PhotoFill::Crop, kMaxCropLimitPercent)), PhotoFill::Blur);
}

TEST(PhotoComposition, TheViewIsInTheOriginalsPixels) {
  // Decoded at a quarter of a 1600 x 1000 original, cropped.
  const ComposedPhoto c = ComposePhoto(Solid(400, 250), 1600, 1000, kW, kH, Look(PhotoFill::Crop));
  EXPECT_EQ(c.view.sourceWidth, 1600);
  EXPECT_NEAR(c.view.sourceHeight, 900, 4);
  EXPECT_NEAR(c.view.sourceY, 50, 2);
}

TEST(PhotoComposition, PicturesOfAbsurdShapesShowSomethingSensible) {
  test::TempDir f;
  Bitmap32 line = Solid(1, 20000);
  for (int y = 0; y < 20000; ++y) line.at(0, y) = y < 10000 ? kColour : MakePixel(40, 80, 200, 0xFF);
  const auto png = [](const Bitmap32& b) {
    const std::vector<uint8_t> bytes = EncodePng(b);
    return std::string(bytes.begin(), bytes.end());
  };
  ASSERT_TRUE(WriteFile(f / "dot.png", png(Solid(1, 1))));
  ASSERT_TRUE(WriteFile(f / "line.png", png(line)));
  for (const char* name : {"dot.png", "line.png"})
    for (PhotoFill fill : {PhotoFill::Blur, PhotoFill::Bars, PhotoFill::Crop}) {
      SCOPED_TRACE(std::string(name) + " " + PhotoFillName(fill));
      const ComposedPhoto c = PreparePhoto(f / name, kW, kH, Look(fill, kMaxCropLimitPercent));
      ASSERT_FALSE(c.shown.picture.empty());
      const PictureView& v = c.view;
      EXPECT_GE(v.x, 0);
      EXPECT_GE(v.y, 0);
      EXPECT_GE(v.width, 1);
      EXPECT_LE(v.x + v.width, kW);
      EXPECT_LE(v.y + v.height, kH);
      EXPECT_EQ(v.sourceHeight, name[0] == 'd' ? 1 : 20000);
      if (fill != PhotoFill::Bars) {
        // The screen is covered: the fitted picture and its fill, never black.
        ASSERT_EQ(c.shown.picture.width(), kW);
        ASSERT_EQ(c.shown.picture.height(), kH);
        for (int x = 0; x < kW; x += 9) EXPECT_NE(c.shown.picture.at(x, 3) & 0xFFFFFFu, 0u) << x;
      }
    }
}

}  // namespace
}  // namespace tp
