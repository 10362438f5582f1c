// The text renderer: what it draws lies where it measured, hostile text does not break
// it, it clips at the target's edges, and without any font it draws nothing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "imaging/ImagingTestSupport.h"
#include "imaging/TextRenderer.h"

namespace tp {
namespace {

constexpr Pixel kBlack = MakePixel(0, 0, 0, 255);
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The bounding box of every pixel that is not black; false when there is none.
bool InkBox(const Bitmap32& b, int& left, int& top, int& right, int& bottom) {
  left = b.width(), top = b.height(), right = -1, bottom = -1;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x)
      if (b.at(x, y) != kBlack) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  return right >= 0;
}

Bitmap32 Black(int w, int h) {
  Bitmap32 b(w, h);
  b.Fill(kBlack);
  return b;
}

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    renderer_ = TextRenderer::CreateSansSerif();
    ASSERT_TRUE(renderer_->HasFont()) << "no sans-serif font (fonts-dejavu-core) installed";
  }
  std::unique_ptr<TextRenderer> renderer_;
};

TEST_F(Text, TheDrawnLineLiesWithinItsMeasuredExtent) {
  const std::string line = "No pictures found in /home/ana/Pictures";
  const TextExtent e = renderer_->Measure(line, 24);
  EXPECT_GT(e.width, 200);
  EXPECT_GT(e.ascent, 12);
  EXPECT_GT(e.descent, 2);
  EXPECT_GT(renderer_->Measure(line, 48).width, e.width * 3 / 2);
  Bitmap32 b = Black(600, 100);
  renderer_->Draw(b, 20, 60, line, 24, kWhite);
  int l, t, r, bt;
  ASSERT_TRUE(InkBox(b, l, t, r, bt));
  EXPECT_GE(l, 19);
  EXPECT_LE(r, 20 + e.width + 2);
  EXPECT_GE(r, 20 + e.width * 9 / 10);  // the ink runs the whole measured width
  EXPECT_GE(t, 60 - e.ascent);
  EXPECT_LE(bt, 60 + e.descent);
  // Anti-aliased: grey edges as well as full white.
  bool grey = false, white = false;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) {
      const int g = PixelG(b.at(x, y));
      grey |= g > 30 && g < 220;
      white |= g == 255;
      EXPECT_EQ(PixelR(b.at(x, y)), g);
    }
  EXPECT_TRUE(grey);
  EXPECT_TRUE(white);
  // The colour's alpha scales the coverage.
  Bitmap32 faint = Black(600, 100);
  renderer_->Draw(faint, 20, 60, line, 24, 0x40FF0000u);
  int maxRed = 0;
  for (int y = 0; y < faint.height(); ++y)
    for (int x = 0; x < faint.width(); ++x) {
      maxRed = std::max<int>(maxRed, PixelR(faint.at(x, y)));
      EXPECT_EQ(PixelG(faint.at(x, y)), 0);
    }
  EXPECT_NEAR(maxRed, 64, 2);
}

TEST_F(Text, ACentredLineIsCentredBothWays) {
  Bitmap32 b = Black(400, 120);
  DrawCentredLine(*renderer_, b, "HHHH", 30, kWhite);
  int l, t, r, bt;
  ASSERT_TRUE(InkBox(b, l, t, r, bt));
  EXPECT_NEAR(l + r, 400, 8);
  EXPECT_NEAR(t + bt, 120, 12);
}

TEST_F(Text, InvalidUtf8IsDrawnAsReplacementCharacters) {
  const std::string bad = "a\xC3\x28 \xE2\x82 \xF0\x9F\x98 \xFF\xFE \xED\xA0\x80 \xC0\xAF z";
  const std::string replaced =
      "a\xEF\xBF\xBD( \xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD "
      "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD z";
  EXPECT_EQ(renderer_->Measure(bad, 20).width, renderer_->Measure(replaced, 20).width);
  Bitmap32 a = Black(500, 40), b = Black(500, 40);
  renderer_->Draw(a, 5, 30, bad, 20, kWhite);
  renderer_->Draw(b, 5, 30, replaced, 20, kWhite);
  EXPECT_EQ(a, b);
  // Nothing, NULs and absurd sizes are harmless.
  EXPECT_EQ(renderer_->Measure("", 20).width, 0);
  EXPECT_EQ(renderer_->Measure("abc", 0).width, 0);
  renderer_->Draw(a, 0, 20, std::string("\0\0\0", 3), 20, kWhite);
  renderer_->Draw(a, 0, 20, "x", 1 << 30, kWhite);
}

TEST_F(Text, LinesAreClippedAtTheEdges) {
  const std::string line = "Clipped at every edge";
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{-60, 20}, {150, 20}, {10, 6}, {10, 45}, {-2000000000, 2000000000}}) {
    Bitmap32 b = Black(200, 40);
    renderer_->Draw(b, x, y, line, 24, kWhite);  // AddressSanitizer sees any write outside
    int l, t, r, bt;
    if (x == -2000000000) EXPECT_FALSE(InkBox(b, l, t, r, bt));
    else EXPECT_TRUE(InkBox(b, l, t, r, bt)) << x << "," << y;
  }
  Bitmap32 empty;
  renderer_->Draw(empty, 0, 10, line, 24, kWhite);
}

TEST(TextWithoutFonts, DrawsNothingAndMeasuresZero) {
  test::TempDir dir;
  const std::string config = dir / "fonts.conf";
  test::WriteBytes(config, std::vector<uint8_t>{});
  const std::string text = "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  test::WriteBytes(config, std::vector<uint8_t>(text.begin(), text.end()));
  const char* old = getenv("FONTCONFIG_FILE");
  const std::string saved = old ? old : "";
  setenv("FONTCONFIG_FILE", config.c_str(), 1);
  auto renderer = TextRenderer::CreateSansSerif();
  if (old) setenv("FONTCONFIG_FILE", saved.c_str(), 1);
  else unsetenv("FONTCONFIG_FILE");
  EXPECT_FALSE(renderer->HasFont());
  EXPECT_EQ(renderer->Measure("anything", 20).width, 0);
  Bitmap32 b = Black(50, 20);
  const Bitmap32 before = b;
  renderer->Draw(b, 2, 15, "anything", 20, kWhite);
  DrawCentredLine(*renderer, b, "anything", 20, kWhite);
  EXPECT_EQ(b, before);
}

}  // namespace
}  // namespace tp
