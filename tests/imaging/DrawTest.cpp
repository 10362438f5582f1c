// Block drawing on small bitmaps with exact expected pixels: copies clipped at every
// edge, nearest-pixel stretches with mirroring, overlapping moves within one bitmap,
// clip-rectangle copies, the per-channel blend, combine handlers, blended pixels and lines.
#include <gtest/gtest.h>

#include "imaging/Draw.h"
#include "imaging/ImagingTestSupport.h"
#include "imaging/PixelCombine.h"

namespace tp {
namespace {

using P = std::vector<Pixel>;
using test::Column;
using test::Numbered;
using test::Row;

Bitmap32 RowOf(const P& values) {
  Bitmap32 b(int(values.size()), 1);
  for (size_t i = 0; i < values.size(); ++i) b.at(int(i), 0) = values[i];
  return b;
}

TEST(Copy, ClipsAtEveryEdgeOfBothBitmaps) {
  const Bitmap32 src = Numbered(3, 3);
  struct Case {
    int dx, dy, sx, sy;
    Pixel at00, at11;  // expected dst pixels (0 = untouched)
  };
  // dst 2 x 2; a 3 x 3 copy placed so that each edge cuts it.
  const Case cases[] = {
      {0, 0, 0, 0, 1, 18},     // right and bottom cut by dst
      {-1, -1, 0, 0, 18, 35},  // left and top cut by dst
      {0, 0, 1, 1, 18, 35},    // right and bottom cut by src
      {0, 0, -1, -1, 0, 1},    // left and top cut by src: src (-1,-1) is outside
      {2, 0, 0, 0, 0, 0},      // entirely right of dst
      {0, 0, 3, 0, 0, 0},      // entirely right of src
  };
  for (const Case& c : cases) {
    Bitmap32 dst(2, 2);
    Copy(dst, c.dx, c.dy, 3, 3, src, c.sx, c.sy);
    EXPECT_EQ(dst.at(0, 0), c.at00) << c.dx << "," << c.dy << " from " << c.sx << "," << c.sy;
    EXPECT_EQ(dst.at(1, 1), c.at11) << c.dx << "," << c.dy << " from " << c.sx << "," << c.sy;
  }
  Bitmap32 dst(2, 2);
  Copy(dst, 0, 0, 0, 5, src, 0, 0);
  Copy(dst, 0, 0, -3, -3, src, 2, 2);
  EXPECT_EQ(dst, Bitmap32(2, 2));
  // Whole-row copies between bitmaps of equal width.
  Bitmap32 wide(3, 4);
  Copy(wide, 0, 1, 3, 2, src, 0, 1);
  EXPECT_EQ(Row(wide, 0), P(3, 0));
  EXPECT_EQ(Row(wide, 1), (P{17, 18, 19}));
  EXPECT_EQ(Row(wide, 2), (P{33, 34, 35}));
  EXPECT_EQ(Row(wide, 3), P(3, 0));
}

TEST(Stretch, RepeatsOrDropsWholeColumnsAndRows) {
  const Bitmap32 src = RowOf({1, 2, 3, 4});
  Bitmap32 up(8, 1), down(2, 1), same(4, 1), odd(3, 1);
  Stretch(up, 0, 0, 8, 1, src, 0, 0, 4, 1);
  Stretch(down, 0, 0, 2, 1, src, 0, 0, 4, 1);
  Stretch(same, 0, 0, 4, 1, src, 0, 0, 4, 1);
  Stretch(odd, 0, 0, 3, 1, src, 0, 0, 4, 1);
  EXPECT_EQ(Row(up, 0), (P{1, 1, 2, 2, 3, 3, 4, 4}));
  EXPECT_EQ(Row(down, 0), (P{2, 4}));
  EXPECT_EQ(Row(same, 0), (P{1, 2, 3, 4}));
  EXPECT_EQ(Row(odd, 0), (P{1, 3, 4}));  // floor((2i+1)*4/6): 0, 2, 3

  const Bitmap32 col = Numbered(1, 3);  // 1, 17, 33
  Bitmap32 tall(1, 6);
  Stretch(tall, 0, 0, 1, 6, col, 0, 0, 1, 3);
  EXPECT_EQ(Column(tall, 0), (P{1, 1, 17, 17, 33, 33}));
}

TEST(Stretch, NegativeSizesMirrorAroundTheGivenCorner) {
  const Bitmap32 src = RowOf({1, 2, 3, 4});
  Bitmap32 a(4, 1), b(4, 1), c(4, 1), d(6, 1);
  Stretch(a, 3, 0, -4, 1, src, 0, 0, 4, 1);   // destination mirrored: covers columns 0..3
  Stretch(b, 0, 0, 4, 1, src, 3, 0, -4, 1);   // source mirrored: columns 3..0
  Stretch(c, 3, 0, -4, 1, src, 3, 0, -4, 1);  // both: no mirror
  Stretch(d, 4, 0, -4, 1, src, 0, 0, 2, 1);   // mirrored and scaled, columns 1..4
  EXPECT_EQ(Row(a, 0), (P{4, 3, 2, 1}));
  EXPECT_EQ(Row(b, 0), (P{4, 3, 2, 1}));
  EXPECT_EQ(Row(c, 0), (P{1, 2, 3, 4}));
  EXPECT_EQ(Row(d, 0), (P{0, 2, 2, 1, 1, 0}));

  const Bitmap32 col = Numbered(1, 3);
  Bitmap32 flipped(1, 3);
  Stretch(flipped, 0, 2, 1, -3, col, 0, 0, 1, 3);
  EXPECT_EQ(Column(flipped, 0), (P{33, 17, 1}));
}

TEST(Stretch, ClipsToBothBitmapsAndIgnoresZeroSizes) {
  const Bitmap32 src = RowOf({1, 2, 3, 4});
  Bitmap32 a(4, 1), b(4, 1), c(4, 1), e(4, 1);
  Stretch(a, -2, 0, 4, 1, src, 0, 0, 4, 1);  // left part falls off the destination
  Stretch(b, 0, 0, 4, 1, src, -1, 0, 4, 1);  // source column -1 does not exist
  Stretch(c, 2, 0, 8, 1, src, 0, 0, 4, 1);   // right part falls off the destination
  EXPECT_EQ(Row(a, 0), (P{3, 4, 0, 0}));
  EXPECT_EQ(Row(b, 0), (P{0, 1, 2, 3}));
  EXPECT_EQ(Row(c, 0), (P{0, 0, 1, 1}));
  for (int zero = 0; zero < 4; ++zero) {
    int s[4] = {4, 1, 4, 1};
    s[zero] = 0;
    Stretch(e, 0, 0, s[0], s[1], src, 0, 0, s[2], s[3]);
  }
  // Repeated rows keep their own pixels where the source is missing.
  Bitmap32 rows = Numbered(3, 2);
  Stretch(rows, 0, 0, 3, 2, src, -1, 0, 3, 1);
  EXPECT_EQ(Row(rows, 0), (P{1, 1, 2}));
  EXPECT_EQ(Row(rows, 1), (P{17, 1, 2}));
  Stretch(e, 0, 0, 4, 1, Bitmap32(), 0, 0, 4, 1);
  Stretch(e, 1 << 30, 0, 1 << 30, 1, src, 0, 0, 4, 1);
  EXPECT_EQ(Row(e, 0), P(4, 0));
}

TEST(SelfCopy, OverlappingMovesReadTheSourceBeforeWriting) {
  Bitmap32 right = RowOf({1, 2, 3, 4, 5, 6, 7, 8});
  SelfCopy(right, 2, 0, 5, 1, 0, 0);
  EXPECT_EQ(Row(right, 0), (P{1, 2, 1, 2, 3, 4, 5, 8}));
  Bitmap32 left = RowOf({1, 2, 3, 4, 5, 6, 7, 8});
  SelfCopy(left, 0, 0, 5, 1, 2, 0);
  EXPECT_EQ(Row(left, 0), (P{3, 4, 5, 6, 7, 6, 7, 8}));

  Bitmap32 down = Numbered(2, 4);
  SelfCopy(down, 0, 1, 2, 3, 0, 0);
  EXPECT_EQ(Column(down, 0), (P{1, 1, 17, 33}));
  Bitmap32 up = Numbered(2, 4);
  SelfCopy(up, 1, 0, 5, 5, 0, 1);  // clipped to the bitmap
  EXPECT_EQ(Column(up, 1), (P{17, 33, 49, 50}));
  EXPECT_EQ(Column(up, 0), (P{1, 17, 33, 49}));
}

TEST(SelfStretch, OverlapAndMirrorWithinOneBitmap) {
  Bitmap32 b = RowOf({1, 2, 3, 4, 0, 0, 0, 0});
  SelfStretch(b, 2, 0, 4, 1, 0, 0, 4, 1);
  EXPECT_EQ(Row(b, 0), (P{1, 2, 1, 2, 3, 4, 0, 0}));
  Bitmap32 m = RowOf({1, 2, 3, 4});
  SelfStretch(m, 3, 0, -4, 1, 0, 0, 4, 1);
  EXPECT_EQ(Row(m, 0), (P{4, 3, 2, 1}));
  Bitmap32 g = RowOf({1, 2, 3, 4});
  SelfStretch(g, 0, 0, 4, 1, 1, 0, 2, 1);  // grow the middle over the whole row
  EXPECT_EQ(Row(g, 0), (P{2, 2, 3, 3}));
  Bitmap32 v = Numbered(1, 4);
  SelfStretch(v, 0, 3, 1, -4, 0, 0, 1, 4);
  EXPECT_EQ(Column(v, 0), (P{49, 33, 17, 1}));
}

TEST(CopyThroughRects, CopiesOnlyInsideTheRectanglesExcludingRightAndBottom) {
  const Bitmap32 src = Numbered(4, 3);
  Bitmap32 dst(4, 3);
  const Rect rects[] = {{1, 0, 3, 1}, {2, 0, 3, 3}, {-5, 2, 1, 9}, {3, 1, 3, 2}};
  CopyThroughRects(dst, src, rects);
  EXPECT_EQ(Row(dst, 0), (P{0, 2, 3, 0}));
  EXPECT_EQ(Row(dst, 1), (P{0, 0, 19, 0}));
  EXPECT_EQ(Row(dst, 2), (P{33, 0, 35, 0}));
}

TEST(BlendToward, FloorsEachChannelAndKeepsTheFourthByte) {
  Bitmap32 dst(3, 1), src(3, 1);
  dst.at(0, 0) = MakePixel(100, 1, 0, 0x7F);
  src.at(0, 0) = MakePixel(0, 0, 255, 0x00);
  dst.at(1, 0) = MakePixel(10, 20, 30, 1);
  src.at(1, 0) = MakePixel(200, 100, 50, 2);
  Bitmap32 half = dst;
  BlendToward(half, src, 128);
  // 100 + floor(-100 * 128 / 256) = 50; 1 + floor(-1 * 128 / 256) = 0; 0 + floor(255 / 2) = 127.
  EXPECT_EQ(half.at(0, 0), MakePixel(50, 0, 127, 0x7F));
  EXPECT_EQ(half.at(1, 0), MakePixel(105, 60, 40, 1));
  Bitmap32 tiny = dst;
  BlendToward(tiny, src, 1);
  EXPECT_EQ(tiny.at(0, 0), MakePixel(99, 0, 0, 0x7F));  // floor, not truncation toward 0
  Bitmap32 full = dst;
  BlendToward(full, src, 256);
  EXPECT_EQ(full.at(1, 0), MakePixel(200, 100, 50, 1));
  Bitmap32 none = dst;
  BlendToward(none, src, 0);
  BlendToward(none, src, -5);
  EXPECT_EQ(none, dst);
  Bitmap32 part = dst;
  BlendToward(part, src, 256, Rect{1, 0, 9, 9});
  EXPECT_EQ(part.at(0, 0), dst.at(0, 0));
  EXPECT_EQ(part.at(1, 0), MakePixel(200, 100, 50, 1));
  Bitmap32 small(1, 1);
  BlendToward(small, src, 256);  // common area only
  EXPECT_EQ(small.at(0, 0), MakePixel(0, 0, 255, 0));
}

TEST(StretchDraw, CombineHandlersMixSkipAndClip) {
  Bitmap32 src(2, 1);
  src.at(0, 0) = MakePixel(255, 0, 0, 255);
  src.at(1, 0) = MakePixel(0, 0, 255, 255);
  Bitmap32 dst(4, 1);
  dst.Fill(MakePixel(0, 0, 0, 9));

  Bitmap32 keyed = dst;
  StretchDraw(keyed, 0, 0, 4, 1, src, 0, 0, 2, 1, KeyedAlphaCombine{128, true, src.at(1, 0)});
  // (255 * 128 + 0 * 127) div 255 = 128; the keyed pixels stay.
  EXPECT_EQ(Row(keyed, 0), (P{MakePixel(128, 0, 0, 128), MakePixel(128, 0, 0, 128), dst.at(0, 0), dst.at(0, 0)}));

  Bitmap32 gifSrc(2, 1);
  gifSrc.at(0, 0) = kGifFillColor;
  gifSrc.at(1, 0) = MakePixel(10, 20, 30, 255);
  Bitmap32 gif = dst;
  StretchDraw(gif, Rect{0, 0, 3, 1}, 3, 0, -4, 1, gifSrc, 0, 0, 2, 1, GifAlphaCombine{255});
  // Mirrored: columns 3, 2 sample pixel 0 (skipped), 1, 0 sample pixel 1; column 3 is clipped.
  EXPECT_EQ(Row(gif, 0), (P{MakePixel(10, 20, 30, 255), MakePixel(10, 20, 30, 255), dst.at(0, 0), dst.at(0, 0)}));

  Bitmap32 copy = dst;
  StretchDraw(copy, -1, 0, 2, 1, src, 0, 0, 2, 1, CopyCombine{});
  EXPECT_EQ(Row(copy, 0), (P{src.at(1, 0), dst.at(0, 0), dst.at(0, 0), dst.at(0, 0)}));
}

TEST(BlendedPixelsAndLines, MixIntoTheColourChannelsInsideTheClipOnly) {
  Bitmap32 b(3, 2);
  b.Fill(MakePixel(0, 0, 0, 0x55));
  BlendPixel(b, 1, 1, MakePixel(255, 255, 255), 255);
  BlendPixel(b, 0, 0, MakePixel(255, 0, 100), 51);  // (255 * 51) div 255 = 51, (100 * 51) div 255 = 20
  BlendPixel(b, 3, 0, MakePixel(255, 255, 255), 255);
  BlendPixel(b, -1, 0, MakePixel(255, 255, 255), 255);
  BlendPixel(b, Rect{0, 0, 1, 1}, 2, 0, MakePixel(255, 255, 255), 255);
  EXPECT_EQ(b.at(1, 1), MakePixel(255, 255, 255, 0x55));
  EXPECT_EQ(b.at(0, 0), MakePixel(51, 0, 20, 0x55));
  EXPECT_EQ(b.at(2, 0), MakePixel(0, 0, 0, 0x55));

  // A diagonal from far outside through a 4 x 4 bitmap: every pixel on it once, ends
  // included; drawn twice at half weight a pixel would show 191 instead of 128.
  Bitmap32 d(4, 4);
  BlendLine(d, -3, -3, 5, 5, MakePixel(255, 255, 255), 128);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(d.at(x, y), x == y ? MakePixel(128, 128, 128) : 0u) << x << "," << y;
  Bitmap32 h(5, 2);
  BlendLine(h, Rect{1, 0, 4, 2}, 4, 1, 0, 1, MakePixel(0, 0, 255), 255);
  EXPECT_EQ(Row(h, 1), (P{0, 0xFF, 0xFF, 0xFF, 0}));
  EXPECT_EQ(Row(h, 0), P(5, 0));
  Bitmap32 dot(2, 2);
  BlendLine(dot, 1, 0, 1, 0, MakePixel(0, 255, 0), 255);
  EXPECT_EQ(dot.at(1, 0), MakePixel(0, 255, 0));
  // Steep line: one pixel per row.
  Bitmap32 s(3, 5);
  BlendLine(s, 0, 0, 2, 4, MakePixel(0, 0, 255), 255);
  int lit = 0;
  for (int y = 0; y < 5; ++y) {
    int inRow = 0;
    for (int x = 0; x < 3; ++x) inRow += s.at(x, y) != 0;
    EXPECT_EQ(inRow, 1) << "row " << y;
    lit += inRow;
  }
  EXPECT_EQ(lit, 5);
  EXPECT_NE(s.at(0, 0), 0u);
  EXPECT_NE(s.at(2, 4), 0u);
}

TEST(MirrorHorizontal, ReversesRowsIntoAnotherOrTheSameBitmap) {
  Bitmap32 src = Numbered(3, 2);
  src.setMasterAlpha(77);
  Bitmap32 dst;
  MirrorHorizontal(src, dst);
  EXPECT_EQ(Row(dst, 1), (P{19, 18, 17}));
  EXPECT_EQ(dst.masterAlpha(), 77);
  MirrorHorizontal(src, src);
  EXPECT_EQ(Row(src, 0), (P{3, 2, 1}));
}

TEST(Bitmap32, SizesAndFill) {
  Bitmap32 b(-3, 5);
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(b.width(), 0);
  EXPECT_EQ(b.height(), 0);
  b.SetSize(2, 3);
  EXPECT_EQ(b.pixelCount(), 6u);
  b.Fill(7);
  b.SetSize(3, 2);
  EXPECT_EQ(Row(b, 1), P(3, 0));  // new contents are black
}

}  // namespace
}  // namespace tp
