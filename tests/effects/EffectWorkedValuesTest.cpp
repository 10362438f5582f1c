// Worked values for a member of each effect family at chosen progress values: where the
// new picture shows, where the old one stays, and how pixels are mixed or moved.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "core/ProgramRandom.h"
#include "effects/EffectCatalogue.h"
#include "effects/EffectTestSupport.h"
#include "effects/PixelEffects.h"

namespace tp {
namespace {

using testing::DrawFrame;
using testing::NewPicture;
using testing::OldPicture;

// The test pictures keep red below 100 in the old picture and at 150 or more in the new.
bool IsNew(Pixel p) { return PixelR(p) >= 150; }

// d + floor((s - d) * alpha / 256) per colour channel; the fourth byte of d stays.
Pixel Mix(Pixel d, Pixel s, int alpha) {
  auto ch = [&](int shift) {
    const int dv = int((d >> shift) & 0xFF), sv = int((s >> shift) & 0xFF);
    const int num = (sv - dv) * alpha;
    const int fl = num >= 0 ? num / 256 : -((-num + 255) / 256);
    return Pixel(dv + fl) << shift;
  };
  return (d & 0xFF000000u) | ch(16) | ch(8) | ch(0);
}

// The program generator's recurrence, written out here as an independent oracle.
struct Lcg {
  uint32_t seed;
  int Next(int n) {
    seed = seed * 134775813u + 1u;
    return int((uint64_t(seed) * uint64_t(n)) >> 32);
  }
};

// Checks every pixel of a frame against an expectation; stops at the first mismatch.
void ExpectFrame(const Bitmap32& frame, const std::function<Pixel(int, int)>& expected,
                 const std::string& what) {
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      const Pixel e = expected(x, y);
      if (frame.at(x, y) != e) {
        ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex
                      << frame.at(x, y) << ", expected " << e;
        return;
      }
    }
  }
}

TEST(FadeEffect, MixesEachChannelWithFlooredWeights) {
  Bitmap32 old(3, 2), fresh(3, 2);
  old.Fill(MakePixel(200, 0, 255, 7));
  fresh.Fill(MakePixel(100, 255, 0, 9));
  // 200 + floor(-100 * 128 / 256) = 150; 0 + floor(127.5) = 127; 255 + floor(-127.5) = 127.
  EXPECT_EQ(DrawFrame(1, old, fresh, 50).at(1, 1), MakePixel(150, 127, 127, 7));
  EXPECT_EQ(DrawFrame(1, old, fresh, 0).at(2, 0), MakePixel(200, 0, 255, 7));
  EXPECT_EQ(DrawFrame(1, old, fresh, 100).at(0, 1), MakePixel(100, 255, 0, 7));
}

TEST(FadeEffect, EveryPixelOfAnOddSizedFrameFollowsTheFormula) {
  const Bitmap32 old = OldPicture(37, 5), fresh = NewPicture(37, 5);
  for (int p : {1, 13, 50, 77, 99}) {
    const int alpha = (256 * p + 50) / 100;
    ExpectFrame(DrawFrame(1, old, fresh, p), [&](int x, int y) {
      return Mix(old.at(x, y), fresh.at(x, y), alpha);
    }, "P=" + std::to_string(p));
  }
}

TEST(PixelateEffect, ZoomsIntoTheOldCentreThenOutOfTheNewPicture) {
  const Bitmap32 old = OldPicture(100, 60), fresh = NewPicture(100, 60);
  // P = 25: k = 139, offsets (35, 21), a 30 x 18 block of the old picture blown up
  // eightfold over the screen.
  ExpectFrame(DrawFrame(2, old, fresh, 25), [&](int x, int y) {
    return old.at(35 + (2 * x + 141) / 16, 21 + (2 * y + 85) / 16);
  }, "P=25");
  // P = 75 is the mirror image in time, drawn from the new picture.
  ExpectFrame(DrawFrame(2, old, fresh, 75), [&](int x, int y) {
    return fresh.at(35 + (2 * x + 141) / 16, 21 + (2 * y + 85) / 16);
  }, "P=75");
  // P = 50: offsets (49, 29) leave a 2 x 2 block, first blended half-way toward the new
  // picture, then stretched into four quarters of the screen.
  ExpectFrame(DrawFrame(2, old, fresh, 50), [&](int x, int y) {
    const int bx = x < 50 ? 49 : 50, by = y < 30 ? 29 : 30;
    return Mix(old.at(bx, by), fresh.at(bx, by), 128);
  }, "P=50");
}

TEST(DissolveEffects, DrawInMemoryOrderFromTheBottomRow) {
  const int w = 41, h = 23;
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  ProgramRandom::SetSeed(4242);
  const int p = 45;
  {
    Lcg r{uint32_t(w + h)};
    Bitmap32 expected = old;
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x)
        if (r.Next(100) < p) expected.at(x, y) = fresh.at(x, y);
    EXPECT_EQ(DrawFrame(3, old, fresh, p), expected);
  }
  {
    Lcg r{uint32_t(w + h)};
    Bitmap32 expected = old;
    for (int y = h - 1; y >= 0; --y)
      if (r.Next(100) < p)
        for (int x = 0; x < w; ++x) expected.at(x, y) = fresh.at(x, y);
    EXPECT_EQ(DrawFrame(168, old, fresh, p), expected);
  }
  {
    Lcg r{uint32_t(w + h)};
    Bitmap32 expected = old;
    for (int x = 0; x < w; ++x)
      if (r.Next(100) < p)
        for (int y = 0; y < h; ++y) expected.at(x, y) = fresh.at(x, y);
    EXPECT_EQ(DrawFrame(169, old, fresh, p), expected);
  }
  EXPECT_EQ(ProgramRandom::Seed(), 4242u);
}

TEST(DissolveEffects, EveryProgressAndRowLengthFollowsTheDraws) {
  // Row lengths around the drawing code's blocks of 16, and the extreme progress values.
  for (int w : {1, 15, 16, 17, 48, 50}) {
    const int h = 5;
    const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
    for (int p : {1, 2, 37, 98, 99, 100}) {
      Lcg r{uint32_t(w + h)};
      Bitmap32 expected = old;
      for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x)
          if (r.Next(100) < p) expected.at(x, y) = fresh.at(x, y);
      EXPECT_EQ(DrawFrame(3, old, fresh, p), expected) << w << " wide at P=" << p;
    }
  }
}

// RotatePixels as its definition reads: every pixel's offset from the pivot turned with
// 16.16 factors, taken from the source when it lands inside.
Bitmap32 RotateReference(const Bitmap32& old, const Bitmap32& src, int px, int py, double angle) {
  Bitmap32 out = old;
  const int64_t s = int64_t(std::trunc(std::sin(-angle) * 65536.0));
  const int64_t c = int64_t(std::trunc(std::cos(-angle) * 65536.0));
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) {
      const int64_t dx = x - px, dy = y - py;
      const int64_t sx = ((dx * c - dy * s) >> 16) + px;
      const int64_t sy = ((dx * s + dy * c) >> 16) + py;
      if (sx >= 0 && sx < src.width() && sy >= 0 && sy < src.height()) {
        out.at(x, y) = src.at(int(sx), int(sy));
      }
    }
  }
  return out;
}

TEST(PivotEffects, RotatePixelsMatchesItsDefinitionForAnyPivotAndAngle) {
  struct Size {
    int w, h;
  };
  for (const Size sz : {Size{37, 23}, Size{16, 40}, Size{70, 33}}) {
    const Bitmap32 old = OldPicture(sz.w, sz.h), fresh = NewPicture(sz.w, sz.h);
    const int pivots[][2] = {{-1, -1}, {-1, sz.h}, {sz.w, -1}, {sz.w, sz.h}, {sz.w / 2, sz.h / 3},
                             {-30, 5}};
    for (const auto& pv : pivots) {
      for (double angle : {0.0, 0.3, -0.3, 0.785, -1.2, 1.5707963, 2.5, -2.9, 3.14159}) {
        Bitmap32 out = old;
        RotatePixels(out, fresh, sz.w, sz.h, pv[0], pv[1], angle);
        ASSERT_EQ(out, RotateReference(old, fresh, pv[0], pv[1], angle))
            << sz.w << "x" << sz.h << " pivot " << pv[0] << "," << pv[1] << " angle " << angle;
      }
    }
  }
}

TEST(BlockEffects, HalfWayCopiesStretchesAndPushes) {
  const Bitmap32 old = OldPicture(100, 60), fresh = NewPicture(100, 60);
  // X = 50, Y = 30 at P = 50.
  ExpectFrame(DrawFrame(4, old, fresh, 50), [&](int x, int y) {
    return x < 50 ? old.at(x, y) : fresh.at(2 * (x - 50) + 1, y);  // squeezed to half
  }, "4 Expand from right");
  ExpectFrame(DrawFrame(6, old, fresh, 50), [&](int x, int y) {
    return x < 50 ? old.at(x, y) : fresh.at(x - 50, y);
  }, "6 Slide in from right");
  ExpectFrame(DrawFrame(8, old, fresh, 50), [&](int x, int y) {
    return x < 50 ? fresh.at(x, y) : old.at(x, y);
  }, "8 Reveal from left");
  ExpectFrame(DrawFrame(19, old, fresh, 50), [&](int x, int y) {
    // The first tenth beyond the edge is stretched over the rest.
    return x < 50 ? fresh.at(x, y) : fresh.at(50 + (2 * (x - 50) + 1) / 10, y);
  }, "19 Build up from right");
  ExpectFrame(DrawFrame(57, old, fresh, 50), [&](int x, int y) {
    const bool hole = x >= 25 && x < 75 && y >= 15 && y < 45;
    return hole ? old.at(x, y) : fresh.at(x, y);
  }, "57 Reveal in to centre");
  ExpectFrame(DrawFrame(60, old, fresh, 50), [&](int x, int y) {
    if (x < 50 && y < 30) return x < 25 ? fresh.at(x + 25, y) : old.at(x, y);
    if (x >= 50 && y < 30) return y < 15 ? fresh.at(x, y + 15) : old.at(x, y);
    if (x >= 50) return x >= 75 ? fresh.at(x - 25, y) : old.at(x, y);
    return y >= 45 ? fresh.at(x, y - 15) : old.at(x, y);
  }, "60 Quarters Slide in to middle");
  ExpectFrame(DrawFrame(130, old, fresh, 50), [&](int x, int y) {
    return x < 50 ? fresh.at(x + 50, y) : old.at(x - 50, y);
  }, "130 Push right");
  ExpectFrame(DrawFrame(132, old, fresh, 50), [&](int x, int y) {
    return x < 50 ? fresh.at(x + 50, y) : old.at(2 * (x - 50) + 1, y);
  }, "132 Push and squeeze right");
  ExpectFrame(DrawFrame(135, old, fresh, 50), [&](int x, int y) {
    return y < 30 ? old.at(x, y + 30) : fresh.at(x, y - 30);
  }, "135 Push up");
}

TEST(BlockEffects, ExpandFromRightDrawsNothingAtZeroAndAllAtFull) {
  const Bitmap32 old = OldPicture(64, 40), fresh = NewPicture(64, 40);
  Bitmap32 dst = old;
  FindEffect(4)->draw(dst, fresh, 64, 40, 0, 0, 0);
  EXPECT_EQ(dst, old);
  FindEffect(4)->draw(dst, fresh, 64, 40, 64, 40, 100);
  EXPECT_EQ(dst, fresh);
}

TEST(UnrollEffects, RollWidthAndTheMirroredShadedStrip) {
  const int w = 1000, h = 12;
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  struct Case {
    int x, r;
  };
  // A tenth of the width while it fits, X itself before that, half the rest at the end.
  for (const Case c : {Case{40, 40}, Case{99, 99}, Case{100, 100}, Case{500, 100},
                       Case{800, 100}, Case{850, 75}, Case{990, 5}, Case{1000, 0}}) {
    for (int number : {17, 18}) {
      Bitmap32 dst = old;
      FindEffect(number)->draw(dst, fresh, w, h, c.x, 0, c.x / 10);
      int changed = 0;
      for (int x = 0; x < w; ++x) changed += dst.at(x, 5) != old.at(x, 5);
      EXPECT_EQ(changed, c.x + c.r) << "effect " << number << " X=" << c.x;
      if (number == 17 && c.r > 1) {
        // The strip's first column shows the far end of the next r columns, darkened by 48.
        const Pixel strip = dst.at(c.x, 5), source = fresh.at(c.x + 2 * c.r - 1, 5);
        EXPECT_EQ(int(PixelR(strip)), int(PixelR(source)) - 48) << "X=" << c.x;
        EXPECT_EQ(int(PixelB(strip)), int(PixelB(source)) - 48) << "X=" << c.x;
        for (int x = 0; x < c.x; ++x) ASSERT_EQ(dst.at(x, 5), fresh.at(x, 5)) << x;
      }
    }
  }
}

TEST(PivotEffects, TurnAboutACornerOutsideThePicture) {
  const Bitmap32 old = OldPicture(80, 50), fresh = NewPicture(80, 50);
  // Half-way the picture is turned an eighth of a turn about (-1, -1): the bottom-left
  // corner is covered, the top-right one not yet.
  const Bitmap32 half = DrawFrame(121, old, fresh, 50);
  EXPECT_TRUE(IsNew(half.at(0, 49)));
  EXPECT_FALSE(IsNew(half.at(79, 0)));
  // The mirrored pivots cover the mirrored corners.
  EXPECT_TRUE(IsNew(DrawFrame(124, old, fresh, 50).at(79, 0)));
  EXPECT_FALSE(IsNew(DrawFrame(124, old, fresh, 50).at(0, 49)));
  EXPECT_TRUE(IsNew(DrawFrame(123, old, fresh, 50).at(79, 49)));
  EXPECT_TRUE(IsNew(DrawFrame(122, old, fresh, 50).at(0, 0)));
}

TEST(RegionEffects, BlindVerticallyHalfWayOnALargeScreen) {
  const Bitmap32 old = OldPicture(1280, 1024), fresh = NewPicture(1280, 1024);
  // n = 33, a = 17, period 66: slats run from column 16 + 66k up to 50 + 66k.
  const Bitmap32 f = DrawFrame(138, old, fresh, 50);
  for (int x = 0; x < 1280; ++x) {
    const int inPeriod = x % 66;
    const bool slat = inPeriod >= 16 && inPeriod < 50;
    ASSERT_EQ(IsNew(f.at(x, 0)), slat) << "column " << x;
    ASSERT_EQ(IsNew(f.at(x, 1023)), slat) << "column " << x;
  }
}

TEST(RegionEffects, RandomSquaresFollowTheSizeSeed) {
  const Bitmap32 old = OldPicture(1280, 1024), fresh = NewPicture(1280, 1024);
  ProgramRandom::SetSeed(31337);
  const Bitmap32 f = DrawFrame(129, old, fresh, 30);
  EXPECT_EQ(ProgramRandom::Seed(), 31337u);
  // Squares of 42 pixels, column by column, from the seed 21 * 2304 = 48384.
  Lcg r{48384};
  int included = 0;
  for (int x0 = 0; x0 < 1280; x0 += 42) {
    for (int y0 = 0; y0 < 1024; y0 += 42) {
      const bool in = r.Next(100) < 30;
      included += in;
      for (auto [dx, dy] : {std::pair{0, 0}, std::pair{41, 41}}) {
        const int x = std::min(x0 + dx, 1279), y = std::min(y0 + dy, 1023);
        ASSERT_EQ(IsNew(f.at(x, y)), in) << "square at " << x0 << "," << y0;
      }
    }
  }
  EXPECT_GT(included, 0);
}

TEST(RegionEffects, BarsFromTheRightBringEvenBandsFirst) {
  const Bitmap32 old = OldPicture(1280, 1024), fresh = NewPicture(1280, 1024);
  // e = 21. At P = 50 (2X = W) every even band is complete and no odd one has started.
  const Bitmap32 half = DrawFrame(63, old, fresh, 50);
  for (int y = 0; y < 1024; ++y) {
    const bool even = (y / 21) % 2 == 0;
    ASSERT_EQ(IsNew(half.at(0, y)), even) << "row " << y;
    ASSERT_EQ(IsNew(half.at(1279, y)), even) << "row " << y;
  }
  // At P = 25 the even bands have come half-way in from the right.
  const Bitmap32 quarter = DrawFrame(63, old, fresh, 25);
  EXPECT_FALSE(IsNew(quarter.at(639, 0)));
  EXPECT_TRUE(IsNew(quarter.at(640, 0)));
  EXPECT_FALSE(IsNew(quarter.at(1279, 21)));
}

TEST(RegionEffects, ShapesHalfWay) {
  const Bitmap32 old = OldPicture(100, 60), fresh = NewPicture(100, 60);
  {
    // 61: the rounded edge bulges to the right edge on the middle row only.
    const Bitmap32 f = DrawFrame(61, old, fresh, 50);
    EXPECT_TRUE(IsNew(f.at(99, 30)));
    EXPECT_TRUE(IsNew(f.at(0, 0)));
    EXPECT_FALSE(IsNew(f.at(50, 0)));
  }
  {
    // 149 at a half turn: the centred rectangle of half extents (25, 15) again.
    const Bitmap32 f = DrawFrame(149, old, fresh, 50);
    int n = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 100; ++x) n += IsNew(f.at(x, y));
    EXPECT_NEAR(n, 50 * 30, 100);
    EXPECT_TRUE(IsNew(f.at(50, 30)));
    EXPECT_TRUE(IsNew(f.at(27, 17)));
    EXPECT_FALSE(IsNew(f.at(20, 30)));
    EXPECT_FALSE(IsNew(f.at(50, 10)));
  }
  {
    // 162: the band's toothed edges lie within rows 6..18 and 42..54.
    const Bitmap32 f = DrawFrame(162, old, fresh, 50);
    for (int x = 0; x < 100; ++x) {
      for (int y : {0, 5, 55, 59}) ASSERT_FALSE(IsNew(f.at(x, y))) << x << "," << y;
      for (int y : {19, 30, 41}) ASSERT_TRUE(IsNew(f.at(x, y))) << x << "," << y;
    }
  }
  {
    // 144: cells of 14, squares of half side 4 around each cell's centre.
    const Bitmap32 f = DrawFrame(144, old, fresh, 50);
    for (int x = 0; x < 100; ++x) {
      const int inCell = x % 14;
      ASSERT_EQ(IsNew(f.at(x, 7)), inCell >= 3 && inCell < 11) << "column " << x;
    }
  }
  {
    // 165: a diamond about the centre, corners still old.
    const Bitmap32 f = DrawFrame(165, old, fresh, 50);
    EXPECT_TRUE(IsNew(f.at(50, 30)));
    EXPECT_TRUE(IsNew(f.at(26, 30)));
    EXPECT_FALSE(IsNew(f.at(10, 5)));
    EXPECT_FALSE(IsNew(f.at(90, 55)));
  }
}

TEST(RegionEffects, ShredsAndSpecklesStartNearTheirEdge) {
  const Bitmap32 old = OldPicture(1280, 64), fresh = NewPicture(1280, 64);
  ProgramRandom::SetSeed(5);
  struct Case {
    int number, firstColumn;
  };
  // Shreds jitter by a tenth of the width; speckles reach 21 cells of 6 ahead of the edge.
  for (const Case c : {Case{68, 1280 - 128}, Case{125, 1280 - 126}}) {
    const Bitmap32 f = DrawFrame(c.number, old, fresh, 0);
    int newPixels = 0;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 1280; ++x) {
        if (!IsNew(f.at(x, y))) continue;
        ++newPixels;
        ASSERT_GE(x, c.firstColumn) << "effect " << c.number;
      }
    }
    EXPECT_GT(newPixels, 0) << "effect " << c.number;
  }
}

}  // namespace
}  // namespace tp
