// Pins the engine's frames for fixed, seeded scenes to hashes, so that any change of the
// rendering code that alters a single pixel of a frame fails here. The scenes cover every
// path of the ripple (vertical and horizontal waves, perspective, jitter, reflection,
// clamping at the picture edges, areas of many short runs, a single-row area), objects
// drawn plain, keyed, mirrored and half outside the picture, snow, rain, and ResetOutput
// between frames.
//
// The objects' threads are suspended after Start and the objects are stepped by the test
// at the clock's ticks, so that their positions and the shared random sequence do not
// depend on thread timing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "animation/AnimEngine.h"
#include "animation/AnimImgObject.h"
#include "animation/AnimObjects.h"
#include "animation/AnimTestSupport.h"
#include "animation/Snow.h"
#include "core/ProgramRandom.h"
#include "imaging/ImageWriter.h"

namespace tp {
namespace {

uint64_t Fnv(uint64_t h, const Bitmap32& b) {
  h ^= uint64_t(b.width()) * 0x9E3779B97F4A7C15ull + uint64_t(b.height());
  h *= 0x100000001B3ull;
  for (size_t i = 0; i < b.pixelCount(); ++i) {
    h ^= b.data()[i];
    h *= 0x100000001B3ull;
  }
  return h;
}
constexpr uint64_t kFnvStart = 0xCBF29CE484222325ull;

// A 160 x 120 picture with a different colour almost everywhere, and six water areas.
void MakeScene(TProject& p) {
  const int w = 160, h = 120;
  p.picture.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p.picture.at(x, y) = MakePixel(uint8_t(x * 3 + y), uint8_t(y * 2 + (x >> 2)), uint8_t(x * y), 255);
  p.areaMask.SetSize(w, h);
  p.areaMask.Fill(0x00FFFFFF);
  auto set = [&](int x, int y, int area) { p.areaMask.at(x, y) = kAreaMaskColors[size_t(area)]; };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // 1: the lake's left part down to the bottom and the left edge, reflecting.
      // 2: its right part up to the right edge, with a wavy border between the two.
      const int border = 80 + int(std::lround(6 * std::sin(y * 0.4)));
      if (y >= 72) set(x, y, x < border ? 1 : 2);
      // 3: an ellipse in the sky with jitter.
      const double ex = (x - 45) / 25.0, ey = (y - 25) / 14.0;
      if (ex * ex + ey * ey <= 1) set(x, y, 3);
      // 4: an ellipse at the top edge with jitter, reflection and a horizontal wave.
      const double fx = (x - 125) / 30.0, fy = (y - 8) / 16.0;
      if (fx * fx + fy * fy <= 1) set(x, y, 4);
      // 6: scattered pixels: rows of many short runs, next to dry land.
      if (y >= 50 && y < 58 && ((x * 7 + y * 3) % 5 < 2 || x % 11 == 0)) set(x, y, 6);
    }
  }
  // 5: a single row with perspective.
  for (int x = 5; x < 155; ++x) set(x, 63, 5);

  TWaveParam& a = p.wave(0);
  a.Reflection = true;
  a.Amplitude = 5;
  a.WaveCount = 9;
  TWaveParam& b = p.wave(1);
  b.HorizontalWave = true;
  b.Amplitude = 7;
  b.Perspective = false;
  b.Period = 180;
  b.WaveSpeed = 23;
  TWaveParam& c = p.wave(2);
  c.JitterRange = 4;
  c.Amplitude = 3;
  c.WaveForward = 0;
  TWaveParam& d = p.wave(3);
  d.JitterRange = 3;
  d.HorizontalWave = true;
  d.Reflection = true;
  d.Amplitude = 4;
  d.Period = 0;  // stored 0: treated as 360
  TWaveParam& e = p.wave(4);
  e.Amplitude = 2;
  TWaveParam& f = p.wave(5);
  f.HorizontalWave = true;
  f.VerticalWave = false;
  f.Amplitude = 3;
  f.WaveForward = 0;
  f.WaveCount = 40;
  p.pictureWidth = w;
  p.pictureHeight = h;
  p.loaded = true;
}

// Three picture objects: keyed and half transparent, mirrored while it moves left, and
// enlarged past the right edge of the picture.
std::string ObjectsText() {
  Bitmap32 sprite(14, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 14; ++x) sprite.at(x, y) = MakePixel(uint8_t(200 - x * 9), uint8_t(y * 20), 90, 255);
  sprite.at(0, 9) = MakePixel(255, 0, 255, 255);  // key colour
  sprite.at(3, 3) = sprite.at(4, 3) = sprite.at(0, 9);
  const std::string file = ::testing::TempDir() + "engine_frames_sprite.bmp";
  WriteBmpFile(sprite, file);
  std::string text;
  auto add = [&](int i, const std::string& keys) {
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\nFilename=" + file + "\r\n" + keys;
  };
  add(0, "Motion=2\r\nMotionSpeed=15\r\nPosLeft=40\r\nPosTop=90\r\nOpacity=7\r\n");
  add(1, "Motion=3\r\nMotionSpeed=30\r\nPosLeft=120\r\nPosTop=60\r\nDirFlip=1\r\nInitialDir=1\r\n");
  add(2, "Motion=0\r\nPosLeft=150\r\nPosTop=100\r\nWidthSize=250\r\nHeightSize=180\r\n"
         "RestrictArea=0\r\n");
  return text;
}

struct FrameHashes {
  uint64_t water = kFnvStart;  // every water frame
  uint64_t shown = kFnvStart;  // every frame GetFrame returned
  int changes = 0;             // frames that differ from the frame before
};

// Renders frames at uneven intervals; objects (threads suspended) step every 5 ms of the
// clock between frames. ResetOutput comes once, between two frames.
FrameHashes RenderScene(TProject& p, int frames) {
  test::ManualClock clock;
  TAnimEngine e(&clock);
  e.SetProject(p);
  e.SetWeather(false);
  e.Start();
  if (p.animObjects) {
    for (int i = 0; i < p.animObjects->Count(); ++i) {
      TAnimObject& o = (*p.animObjects)[i];
      o.Stop();   // suspends the worker thread; the test steps the object itself
      o.Start();  // run state from the clock's tick, independent of the thread's steps
    }
  }
  ProgramRandom::SetSeed(4242);
  e.SetWeather(p.weather.WeatherKind > 0);
  FrameHashes r;
  Bitmap32 last;
  static constexpr uint32_t kIntervals[] = {33, 17, 50, 100, 33, 40, 7, 66};
  for (int f = 0; f < frames; ++f) {
    const uint32_t dt = kIntervals[size_t(f) % std::size(kIntervals)];
    if (p.animObjects) {
      for (uint32_t t = 5; t <= dt; t += 5) {
        for (int i = 0; i < p.animObjects->Count(); ++i) (*p.animObjects)[i].StepAt(clock.now + t);
      }
    }
    clock.Advance(dt);
    if (f == frames / 2) e.ResetOutput();
    e.RenderFrame();
    if (f > 0 && !(e.GetFrame() == last)) ++r.changes;
    last = e.GetFrame();
    r.water = Fnv(r.water, e.WaterFrame);
    r.shown = Fnv(r.shown, e.GetFrame());
  }
  if (p.animObjects) p.animObjects->Clear();
  return r;
}

TEST(EngineFrames, WaterOnlySceneIsPinned) {
  TProject p;
  MakeScene(p);
  const FrameHashes r = RenderScene(p, 60);
  EXPECT_GT(r.changes, 50);
  EXPECT_EQ(r.water, r.shown);  // without objects and weather the water frame is shown
  EXPECT_EQ(r.water, 1654932280895444111ull);
}

TEST(EngineFrames, SceneWithObjectsAndSnowIsPinned) {
  TProject p;
  MakeScene(p);
  p.animObjects = std::make_shared<TAnimObjects>();
  p.animObjects->LoadFromText(ObjectsText());
  p.weather = TWeatherParam{kWeatherSnow, 400, 12, 0, 0, 9};
  const FrameHashes r = RenderScene(p, 60);
  EXPECT_GT(r.changes, 50);
  EXPECT_NE(r.water, r.shown);
  EXPECT_EQ(r.water, 1654932280895444111ull);
  EXPECT_EQ(r.shown, 17977485230417326174ull);
}

// Without jitter every column stays in its row: the same scene with the two jittered
// areas calmed, with objects and snow.
TEST(EngineFrames, SceneWithoutJitterIsPinned) {
  TProject p;
  MakeScene(p);
  p.wave(2).JitterRange = 0;
  p.wave(3).JitterRange = 1;
  p.animObjects = std::make_shared<TAnimObjects>();
  p.animObjects->LoadFromText(ObjectsText());
  p.weather = TWeatherParam{kWeatherSnow, 1000, 5, 0, 0, 7};
  const FrameHashes r = RenderScene(p, 80);
  EXPECT_GT(r.changes, 70);
  EXPECT_EQ(r.water, 1842016893000677795ull);
  EXPECT_EQ(r.shown, 9652411829094178226ull);
}

TEST(EngineFrames, SceneWithRainIsPinned) {
  TProject p;
  MakeScene(p);
  p.weather = TWeatherParam{kWeatherRain, 300, 9, 20, 15, 6};
  const FrameHashes r = RenderScene(p, 30);
  EXPECT_GT(r.changes, 25);
  EXPECT_NE(r.water, r.shown);
  EXPECT_EQ(r.water, 1322315770249185123ull);
  EXPECT_EQ(r.shown, 8439227890906316975ull);
}

// The engine brings the composite back only around each flake's rounded position (one
// pixel left and above, two right and below); snow must draw nowhere else.
TEST(EngineFrames, FlakesDrawOnlyNearTheirPosition) {
  Bitmap32 target(40, 40);
  TSnow snow(&target);
  snow.Elapsed = 0;  // the flakes stay where they are
  ProgramRandom::SetSeed(99);
  for (int i = 0; i < 60; ++i) {
    target.Fill(0);
    snow.Flakes.assign(1, TFlake{10 + i * 0.37, 12 + i * 0.29, 2 + i % 3, 0});
    snow.StepAndDraw();
    const TFlake& f = snow.Flakes[0];
    const int fx = int(std::lrint(f.X)), fy = int(std::lrint(f.Y));
    int drawn = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        if (target.at(x, y) == 0) continue;
        ++drawn;
        EXPECT_TRUE(x >= fx - 1 && x <= fx + 2 && y >= fy - 1 && y <= fy + 2)
            << "size " << f.FlakeSize << " at " << x - fx << "," << y - fy;
      }
    }
    EXPECT_GE(drawn, 3);
  }
}

// The scene scaled up (upscaling stretch of the mask) and down with its aspect kept, then
// animated at its new size.
TEST(EngineFrames, ResizedScenesArePinned) {
  TProject up;
  MakeScene(up);
  TAnimEngine::ResizeProject(false, up, 263, 131);
  ASSERT_EQ(up.picture.width(), 263);
  EXPECT_EQ(Fnv(kFnvStart, up.areaMask), 16531294430524924686ull);
  EXPECT_EQ(Fnv(kFnvStart, up.picture), 17313072246538473041ull);
  EXPECT_EQ(RenderScene(up, 20).water, 10329525730791602427ull);

  TProject down;
  MakeScene(down);
  TAnimEngine::ResizeProject(true, down, 97, 97);
  ASSERT_EQ(down.picture.width(), 97);
  ASSERT_EQ(down.picture.height(), 73);
  EXPECT_EQ(Fnv(kFnvStart, down.areaMask), 12731519554027167767ull);
  EXPECT_EQ(Fnv(kFnvStart, down.picture), 13204634481091883682ull);
  EXPECT_EQ(RenderScene(down, 20).water, 2701654380208544099ull);
}

}  // namespace
}  // namespace tp
