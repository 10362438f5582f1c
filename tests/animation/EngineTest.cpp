#include <gtest/gtest.h>

#include "animation/AnimEngine.h"
#include "animation/AnimObjects.h"
#include "animation/AnimTestSupport.h"
#include "animation/ImgObject.h"
#include "imaging/ImageWriter.h"

namespace tp {
namespace {

constexpr Pixel kWhite = 0x00FFFFFF;
constexpr Pixel kBlue = 0x000000FF;

TEST(AnimEngine, AllWhiteMaskGivesThePictureAndWaterFrameIsTheFrame) {
  test::ManualClock clock;
  TProject p;
  test::MakePicture(p, 64, 48, kWhite);
  TAnimEngine e(&clock);
  e.SetProject(p);
  e.SetWeather(false);
  e.Start();
  for (int i = 0; i < 5; ++i) {
    clock.Advance(40);
    e.RenderFrame();
  }
  EXPECT_EQ(&e.GetFrame(), &e.WaterFrame);
  EXPECT_TRUE(e.Composite.empty());
  EXPECT_EQ(e.GetFrame(), p.picture);
  for (int i = 0; i < TAnimEngine::kRecords; ++i) EXPECT_EQ(e.MinRow[size_t(i)], 50000);
}

TEST(AnimEngine, PhaseFallsThirtyDegreesIn100MsBackward) {
  test::ManualClock clock;
  TProject p;
  test::MakePicture(p, 16, 16, kBlue);
  p.wave(0).WaveForward = 0;
  p.wave(0).WaveSpeed = 15;
  TAnimEngine e(&clock);
  e.SetProject(p);
  e.Start();
  const int64_t before = e.PhaseOf(0);
  clock.Advance(100);
  e.RenderFrame();
  EXPECT_EQ(e.PhaseOf(0) - before, -30);
  EXPECT_EQ(e.PhaseOf(1) - before, 30);  // default records run forward
}

TEST(AnimEngine, VerticalRipplePullsOnlyFromTheSameArea) {
  test::ManualClock clock;
  TProject p;
  test::MakePicture(p, 8, 40, kWhite);
  for (int y = 20; y < 40; ++y)
    for (int x = 0; x < 8; ++x) p.areaMask.at(x, y) = kBlue;
  TWaveParam& w = p.wave(0);
  w.Amplitude = 3;
  w.Perspective = false;
  w.JitterRange = 0;
  w.Period = 0;  // treated as 360
  TAnimEngine e(&clock);
  e.SetProject(p);
  e.Start();
  for (int f = 0; f < 10; ++f) {
    clock.Advance(33);
    e.RenderFrame();
    const Bitmap32& out = e.GetFrame();
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (y < 20) {
          ASSERT_EQ(out.at(x, y), p.picture.at(x, y)) << "dry land changed";
          continue;
        }
        // Each water pixel comes from the same column, within 3 rows, inside the water.
        bool found = false;
        for (int sy = std::max(20, y - 3); sy <= std::min(39, y + 3); ++sy)
          found = found || out.at(x, y) == p.picture.at(x, sy);
        ASSERT_TRUE(found) << x << "," << y;
      }
    }
  }
}

TEST(AnimEngine, ReflectionMirrorsRowsAboveExceptAtRowZero) {
  test::ManualClock clock;
  TProject p;
  test::MakePicture(p, 4, 10, kWhite);
  for (int y = 6; y < 10; ++y)
    for (int x = 0; x < 4; ++x) p.areaMask.at(x, y) = kBlue;
  p.wave(0).Reflection = true;
  TAnimEngine e(&clock);
  e.SetProject(p);
  e.Start();
  EXPECT_EQ(e.ReflectedPicture.at(1, 6), p.picture.at(1, 5));
  EXPECT_EQ(e.ReflectedPicture.at(1, 7), p.picture.at(1, 4));
  EXPECT_EQ(e.ReflectedPicture.at(1, 9), p.picture.at(1, 2));

  TProject top;
  test::MakePicture(top, 4, 4, kBlue);
  top.wave(0).Reflection = true;
  TAnimEngine e2(&clock);
  e2.SetProject(top);
  e2.Start();
  EXPECT_EQ(e2.ReflectedPicture.at(2, 0), top.picture.at(2, 0));
  EXPECT_EQ(e2.ReflectedPicture.at(2, 1), top.picture.at(2, 1));  // m < 0 below too
}

TEST(AnimEngine, SingleRowPerspectiveAreaUsesFullIncrement) {
  test::ManualClock clock;
  TProject p;
  test::MakePicture(p, 8, 8, kWhite);
  for (int x = 0; x < 8; ++x) p.areaMask.at(x, 4) = kBlue;
  TAnimEngine e(&clock);
  e.SetProject(p);
  e.Start();
  EXPECT_EQ(e.MinRow[0], 4);
  EXPECT_EQ(e.MaxRow[0], 4);
  clock.Advance(50);
  e.RenderFrame();  // must not divide by zero; single row pulls only from itself
  EXPECT_EQ(e.GetFrame(), p.picture);
}

TEST(AnimEngine, ResizeScalesWavesAndKeepsMaskColours) {
  TProject p;
  test::MakePicture(p, 100, 50, kWhite);
  for (int y = 25; y < 50; ++y)
    for (int x = 0; x < 100; ++x) p.areaMask.at(x, y) = kBlue;
  p.wave(0).Amplitude = 10;
  p.wave(0).JitterRange = 4;
  TAnimEngine::ResizeProject(true, p, 300, 300);
  EXPECT_EQ(p.picture.width(), 300);
  EXPECT_EQ(p.picture.height(), 150);
  EXPECT_EQ(p.areaMask.width(), 300);
  EXPECT_EQ(p.wave(0).Amplitude, 30);
  EXPECT_EQ(p.wave(0).JitterRange, 12);
  EXPECT_EQ(p.pictureWidth, 100);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_TRUE(p.areaMask.at(x, y) == kBlue || p.areaMask.at(x, y) == kWhite);
}

TEST(AnimEngine, ObjectsAndSnowAreComposed) {
  Bitmap32 pic(10, 10);
  pic.Fill(MakePixel(200, 0, 0, 255));
  pic.at(0, 9) = MakePixel(0, 0, 0, 255);
  const std::string path = ::testing::TempDir() + "engine_obj.bmp";
  WriteBmpFile(pic, path);

  test::ManualClock clock;
  TProject p;
  test::MakePicture(p, 100, 80, kWhite);
  p.animObjects = std::make_shared<TAnimObjects>();
  p.animObjects->LoadFromText("[Obj0]\r\nObjType=IMG\r\nFilename=" + path +
                              "\r\nPosLeftType=3\r\nPosTopType=3\r\n");
  p.weather.WeatherKind = kWeatherSnow;
  p.weather.ParticleCount = 50;
  p.weather.WeatherOpacity = 9;
  TAnimEngine e(&clock);
  e.SetProject(p);
  e.SetWeather(false);
  e.Start();
  e.SetWeather(true);
  clock.Advance(40);
  e.RenderFrame();
  EXPECT_EQ(&e.GetFrame(), &e.Composite);
  ASSERT_NE(e.snow(), nullptr);
  EXPECT_EQ(e.snow()->Count(), 50);
  // The object is drawn centred: its red fills the middle pixel.
  EXPECT_EQ(PixelR(e.Composite.at(50, 40)) >= 200, true);
  p.animObjects->Clear();
}

}  // namespace
}  // namespace tp
