#include <gtest/gtest.h>

#include "animation/Rain.h"
#include "animation/Snow.h"
#include "core/ProgramRandom.h"

namespace tp {
namespace {

TEST(Snow, CountIsCappedAndNegativeGivesNone) {
  Bitmap32 target(100, 100);
  TSnow snow(&target);
  snow.SetCount(5000);
  snow.Scatter();
  EXPECT_EQ(snow.Count(), 1000);
  EXPECT_EQ(snow.Flakes.size(), 1000u);
  for (const TFlake& f : snow.Flakes) {
    EXPECT_GE(f.X, 0);
    EXPECT_LT(f.X, 100);
    EXPECT_GE(f.FlakeSize, 2);
    EXPECT_LE(f.FlakeSize, 4);
  }
  snow.SetCount(-5);
  snow.Scatter();
  EXPECT_TRUE(snow.Flakes.empty());
}

TEST(Snow, SizeThreeFlakeFallsThreePixelsIn70Ms) {
  Bitmap32 target(100, 100);
  TSnow snow(&target);
  snow.SetCount(1);
  snow.Scatter();
  snow.Flakes[0] = TFlake{50, 10, 3, 0};
  snow.SpeedLevel = 10;
  snow.SpeedPercent = 100;
  snow.Elapsed = 70;
  snow.StepAndDraw();
  EXPECT_DOUBLE_EQ(snow.Flakes[0].Y, 13);
  EXPECT_DOUBLE_EQ(snow.Flakes[0].X, 50);
}

TEST(Snow, EdgeWraps) {
  Bitmap32 target(100, 100);
  TSnow snow(&target);
  snow.SetCount(1);
  snow.Scatter();
  snow.Elapsed = 0;

  // Past the right edge: -random(50).
  ProgramRandom::SetSeed(77);
  snow.Flakes[0] = TFlake{100.5, 10, 2, 0};
  uint32_t seed = ProgramRandom::Seed();
  snow.StepAndDraw();
  ProgramRandom::SetSeed(seed);
  int sizeDraw = ProgramRandom::Random(20);
  if (sizeDraw == 0) ProgramRandom::Random(3);
  int r = ProgramRandom::Random(50);
  EXPECT_DOUBLE_EQ(snow.Flakes[0].X, -r);

  // Past the left edge: W + random(50), then -random(50) unless that was 0.
  ProgramRandom::SetSeed(1234);
  snow.Flakes[0] = TFlake{-0.5, 10, 2, 0};
  seed = ProgramRandom::Seed();
  snow.StepAndDraw();
  ProgramRandom::SetSeed(seed);
  if (ProgramRandom::Random(20) == 0) ProgramRandom::Random(3);
  int r1 = ProgramRandom::Random(50);
  double expected = 100 + r1;
  if (r1 > 0) expected = -ProgramRandom::Random(50);
  EXPECT_DOUBLE_EQ(snow.Flakes[0].X, expected);

  // Below the last row: back above the top, X unchanged.
  snow.Flakes[0] = TFlake{40, 99.5, 2, 0};
  snow.StepAndDraw();
  EXPECT_LE(snow.Flakes[0].Y, 0);
  EXPECT_GT(snow.Flakes[0].Y, -100);
  EXPECT_DOUBLE_EQ(snow.Flakes[0].X, 40);
}

TEST(Snow, FlakeShapesAndAlphaAtOpacityNine) {
  Bitmap32 target(20, 20);
  target.Fill(0);
  TSnow snow(&target);
  snow.SetCount(1);
  snow.Scatter();
  snow.Elapsed = 0;
  snow.WeatherOpacity = 9;
  ProgramRandom::SetSeed(5);  // a seed whose first Random(20) is not 0
  while (true) {
    uint32_t s = ProgramRandom::Seed();
    if (ProgramRandom::Random(20) != 0) {
      ProgramRandom::SetSeed(s);
      break;
    }
  }
  snow.Flakes[0] = TFlake{10, 10, 3, 0};
  snow.StepAndDraw();
  EXPECT_EQ(PixelR(target.at(10, 10)), 180);
  EXPECT_EQ(PixelG(target.at(9, 10)), 144);
  EXPECT_EQ(PixelB(target.at(10, 11)), 144);
  EXPECT_EQ(PixelR(target.at(9, 9)), 54);
  EXPECT_EQ(PixelR(target.at(11, 11)), 54);
  EXPECT_EQ(target.at(12, 10), 0u);
  EXPECT_EQ(target.at(10, 12), 0u);

  // Opacity 0 draws nothing.
  Bitmap32 clean(20, 20);
  clean.Fill(0);
  snow.Target = &clean;
  snow.WeatherOpacity = 0;
  snow.StepAndDraw();
  EXPECT_EQ(clean, Bitmap32(20, 20));
}

TEST(Snow, SpeedLevelOutsideTableIsClamped) {
  Bitmap32 target(100, 1000);
  TSnow snow(&target);
  snow.SetCount(1);
  snow.Scatter();
  snow.Flakes[0] = TFlake{50, 10, 2, 0};
  snow.SpeedLevel = 99;  // as level 20: 500 %
  snow.Elapsed = 70;
  snow.StepAndDraw();
  EXPECT_DOUBLE_EQ(snow.Flakes[0].Y, 20);
  snow.Flakes[0] = TFlake{50, 10, 2, 0};
  snow.SpeedLevel = -3;  // as level 0: 10 %
  snow.StepAndDraw();
  EXPECT_NEAR(snow.Flakes[0].Y, 10.2, 1e-9);
}

TEST(Rain, LeftEdgeWrapAndBottomWrap) {
  Bitmap32 target(100, 100);
  TRain rain(&target);
  rain.SetCount(1);
  rain.Scatter();
  rain.Elapsed = 0;
  ProgramRandom::SetSeed(99);
  rain.Drops[0] = TDrop{-21, 50, 2, 1};
  uint32_t seed = ProgramRandom::Seed();
  rain.StepAndDraw();
  ProgramRandom::SetSeed(seed);
  int r1 = ProgramRandom::Random(100);
  double expected = 100 + r1;
  if (expected > 120) expected = -ProgramRandom::Random(100);
  EXPECT_DOUBLE_EQ(rain.Drops[0].X, expected);

  rain.Drops[0] = TDrop{50, 121, 2, 1};
  rain.StepAndDraw();
  EXPECT_LE(rain.Drops[0].Y, 0);
  EXPECT_DOUBLE_EQ(rain.Drops[0].X, 50);
}

TEST(Rain, StreakColoursAndZeroLength) {
  Bitmap32 target(40, 40);
  target.Fill(0);
  TRain rain(&target);
  rain.SetCount(1);
  rain.Scatter();
  rain.Elapsed = 0;
  rain.Direction = 90;  // vertical
  rain.WeatherOpacity = 10;
  rain.LengthScale = 10;
  rain.Drops[0] = TDrop{10, 10, 4, 2};  // streak of 8 rows: tail to row 16, head to 18
  rain.StepAndDraw();
  EXPECT_EQ(PixelR(target.at(10, 10)), 130 * 255 / 255);
  EXPECT_EQ(PixelR(target.at(10, 18)), 235);
  EXPECT_EQ(target.at(10, 19), 0u);
  EXPECT_EQ(target.at(11, 12), 0u);

  Bitmap32 dot(40, 40);
  dot.Fill(0);
  rain.Target = &dot;
  rain.LengthScale = 0;
  rain.Drops[0] = TDrop{20, 20, 4, 2};
  rain.StepAndDraw();
  EXPECT_NE(dot.at(20, 20), 0u);
  int changed = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) changed += dot.at(x, y) != 0;
  EXPECT_EQ(changed, 1);
}

}  // namespace
}  // namespace tp
