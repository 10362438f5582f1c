// The contract every catalogue effect keeps, on wide, tall, odd and tiny sizes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/IntMath.h"
#include "core/ProgramRandom.h"
#include "effects/EffectCatalogue.h"
#include "effects/EffectTestSupport.h"

namespace tp {
namespace {

using testing::CountDifferent;
using testing::Extents;
using testing::NewPicture;
using testing::OldPicture;

struct Size {
  int w, h;
};
constexpr Size kSizes[] = {{64, 40}, {30, 72}, {101, 67}, {2, 2}, {1, 1}, {1, 9}, {13, 1}};

Bitmap32 Frame(int number, int w, int h, int p) {
  Bitmap32 dst = OldPicture(w, h);
  const Bitmap32 src = NewPicture(w, h);
  int x = 0, y = 0;
  Extents(w, h, p, x, y);
  FindEffect(number)->draw(dst, src, w, h, x, y, p);
  EXPECT_EQ(src, NewPicture(w, h)) << "effect " << number << " changed the new picture";
  return dst;
}

bool ShowsNewPartAtStart(int n) {
  // Uneven shreds and speckles show jittered strips near their edge from the start; the
  // build-ups show the stretched band of the new picture over the rest of the screen.
  return (n >= 68 && n <= 71) || (n >= 79 && n <= 82) || (n >= 103 && n <= 112) ||
         (n >= 125 && n <= 128) || n == 19 || n == 20 || n == 36 || n == 37;
}

TEST(EffectCatalogue, HasEveryEntryInOrderWithItsName) {
  ASSERT_EQ(EffectCatalogue().size(), size_t(kEffectCount));
  EXPECT_EQ(FindEffect(0), nullptr);
  EXPECT_EQ(FindEffect(170), nullptr);
  EXPECT_STREQ(FindEffect(1)->name, "Fade");
  EXPECT_STREQ(FindEffect(29)->name, "Expand in to middle (horiz)");
  EXPECT_STREQ(FindEffect(136)->name, "Push and sqeeze down");
  EXPECT_STREQ(FindEffect(169)->name, "Random Bars Vertical");
  std::set<std::string> names;
  for (const auto& e : EffectCatalogue()) names.insert(e.name);
  EXPECT_EQ(names.size(), size_t(kEffectCount));
}

TEST(EffectContract, FullProgressShowsTheNewPicture) {
  for (const auto& e : EffectCatalogue()) {
    for (const Size s : kSizes) {
      // The Rectangles family draws nothing while its stripe size is 0.
      if ((e.number == 145 || e.number == 146) && s.h / 20 == 0) continue;
      if ((e.number == 147 || e.number == 148) && s.w / 20 == 0) continue;
      ProgramRandom::SetSeed(12345);
      const Bitmap32 out = Frame(e.number, s.w, s.h, 100);
      // Fade blends the colour channels only.
      EXPECT_EQ(CountDifferent(out, NewPicture(s.w, s.h), e.number == 1), 0)
          << "effect " << e.number << " (" << e.name << ") on " << s.w << "x" << s.h;
    }
  }
}

TEST(EffectContract, ZeroProgressShowsTheOldPicture) {
  for (const auto& e : EffectCatalogue()) {
    if (ShowsNewPartAtStart(e.number)) continue;
    for (const Size s : kSizes) {
      const Bitmap32 out = Frame(e.number, s.w, s.h, 0);
      EXPECT_EQ(CountDifferent(out, OldPicture(s.w, s.h)), 0)
          << "effect " << e.number << " (" << e.name << ") on " << s.w << "x" << s.h;
    }
  }
}

TEST(EffectContract, MidwayFramesMixBothPictures) {
  // Every effect has uncovered something and not everything half-way through.
  for (const auto& e : EffectCatalogue()) {
    const Bitmap32 out = Frame(e.number, 64, 40, 50);
    EXPECT_GT(CountDifferent(out, OldPicture(64, 40)), 0) << "effect " << e.number;
    EXPECT_GT(CountDifferent(out, NewPicture(64, 40)), 0) << "effect " << e.number;
  }
}

TEST(EffectContract, BadArgumentsStayInsideTheBitmaps) {
  // Run under the sanitizers: none of these may read or write outside a bitmap.
  Bitmap32 dst = OldPicture(17, 11);
  const Bitmap32 src = NewPicture(17, 11);
  Bitmap32 smallSrc = NewPicture(5, 3);
  Bitmap32 empty;
  for (const auto& e : EffectCatalogue()) {
    e.draw(dst, src, 17, 11, 17, 11, 250);
    e.draw(dst, src, 17, 11, -40, -3, -20);
    e.draw(dst, src, 5000, 4000, 5000, 4000, 100);  // sizes larger than the bitmaps
    e.draw(dst, src, 0, 11, 0, 0, 50);
    e.draw(dst, src, 17, 0, 8, 0, 50);
    e.draw(dst, smallSrc, 17, 11, 9, 6, 50);  // source smaller than the destination
    e.draw(empty, src, 17, 11, 9, 6, 50);
    e.draw(dst, empty, 17, 11, 9, 6, 50);
  }
  // A zero-sized call leaves the destination alone.
  Bitmap32 untouched = OldPicture(17, 11);
  for (const auto& e : EffectCatalogue()) e.draw(untouched, src, 0, 0, 0, 0, 100);
  EXPECT_EQ(untouched, OldPicture(17, 11));
}

TEST(EffectContract, SeededFamiliesOnlyGrowAndLeaveTheGeneratorAlone) {
  for (int number : {3, 129, 168, 169}) {
    ProgramRandom::SetSeed(777);
    const Bitmap32 at30 = Frame(number, 101, 67, 30);
    const Bitmap32 at60 = Frame(number, 101, 67, 60);
    EXPECT_EQ(ProgramRandom::Seed(), 777u) << "effect " << number;
    const Bitmap32 fresh = NewPicture(101, 67);
    int64_t grown = 0;
    for (int y = 0; y < 67; ++y) {
      for (int x = 0; x < 101; ++x) {
        if (at30.at(x, y) == fresh.at(x, y)) {
          EXPECT_EQ(at60.at(x, y), fresh.at(x, y)) << "effect " << number << " at " << x << "," << y;
        }
        grown += at60.at(x, y) == fresh.at(x, y) && at30.at(x, y) != fresh.at(x, y);
      }
    }
    EXPECT_GT(grown, 0) << "effect " << number;
  }
}

TEST(EffectContract, RunningFamiliesAdvanceTheGenerator) {
  for (int number : {68, 81, 103, 112, 125, 128}) {
    ProgramRandom::SetSeed(99);
    const Bitmap32 first = Frame(number, 200, 120, 40);
    EXPECT_NE(ProgramRandom::Seed(), 99u) << "effect " << number;
    const Bitmap32 second = Frame(number, 200, 120, 40);
    EXPECT_NE(first, second) << "effect " << number << " should flicker between frames";
  }
}

}  // namespace
}  // namespace tp
