// Caption bitmaps: light text with a dark soft shadow that reads on white and on black,
// held to the width given, blended only where the caption lies.
#include <gtest/gtest.h>

#include "imaging/CaptionBitmap.h"

namespace tp {
namespace {

class Caption : public ::testing::Test {
 protected:
  void SetUp() override {
    renderer_ = TextRenderer::CreateSansSerif();
    ASSERT_TRUE(renderer_->HasFont()) << "no sans-serif font (fonts-dejavu-core) installed";
  }
  std::unique_ptr<TextRenderer> renderer_;
};

Bitmap32 Filled(int w, int h, Pixel p) {
  Bitmap32 b(w, h);
  b.Fill(p);
  return b;
}

TEST_F(Caption, ReadsOnWhiteAndOnBlack) {
  const Bitmap32 caption = RenderCaption(*renderer_, "06/15/21 \u00B7 Beach", 24, 1000);
  ASSERT_FALSE(caption.empty());
  EXPECT_GE(caption.height(), 24);
  EXPECT_LT(caption.height(), 60);
  // Premultiplied: no channel above its alpha (a blend could overflow otherwise).
  for (int y = 0; y < caption.height(); ++y)
    for (int x = 0; x < caption.width(); ++x) {
      const Pixel p = caption.at(x, y);
      ASSERT_LE(PixelR(p), PixelA(p));
      ASSERT_LE(PixelB(p), PixelA(p));
    }
  for (const Pixel ground : {MakePixel(255, 255, 255, 255), MakePixel(0, 0, 0, 255)}) {
    Bitmap32 target = Filled(caption.width() + 40, caption.height() + 40, ground);
    BlendCaption(caption, target, 20, 20);
    int light = 0, dark = 0;
    for (int y = 0; y < target.height(); ++y)
      for (int x = 0; x < target.width(); ++x) {
        const Pixel p = target.at(x, y);
        const bool inside = x >= 20 && y >= 20 && x < 20 + caption.width() && y < 20 + caption.height();
        if (!inside) {
          ASSERT_EQ(p, ground) << x << "," << y;
          continue;
        }
        light += PixelG(p) > 220;
        dark += PixelG(p) < 60;
      }
    // Text pixels stay light and shadow pixels dark whatever lies under them.
    EXPECT_GT(light, 100) << std::hex << ground;
    EXPECT_GT(dark, 100) << std::hex << ground;
  }
}

TEST_F(Caption, BoundedByTheWidthGivenAndClippedAtTheTargetsEdges) {
  const std::string longLine(300, 'W');
  const Bitmap32 caption = RenderCaption(*renderer_, longLine, 40, 500);
  EXPECT_EQ(caption.width(), 500);
  EXPECT_TRUE(RenderCaption(*renderer_, "", 20, 500).empty());
  EXPECT_TRUE(RenderCaption(*renderer_, "x", 20, 0).empty());
  // A huge size asked for is held to a bounded bitmap.
  const Bitmap32 huge = RenderCaption(*renderer_, "x", 1 << 30, 4000);
  EXPECT_LT(huge.height(), 2000);
  // Partly outside the target on every side: only the overlap is written.
  Bitmap32 target = Filled(100, 30, MakePixel(128, 128, 128, 255));
  BlendCaption(caption, target, -50, -10);
  BlendCaption(caption, target, 90, 25);
  int changed = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) changed += target.at(x, y) != MakePixel(128, 128, 128, 255);
  EXPECT_GT(changed, 0);
}

}  // namespace
}  // namespace tp
