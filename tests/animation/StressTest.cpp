#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "animation/AnimEngine.h"
#include "animation/AnimObjects.h"
#include "animation/AnimTestSupport.h"
#include "imaging/ImageWriter.h"

namespace tp {
namespace {

// 50 objects step on their own threads while the engine renders 500 frames and the
// picture changes 20 times; run under ThreadSanitizer by `make test`.
TEST(AnimStress, FiftyObjectsFiveHundredFramesTwentyPictureChanges) {
  Bitmap32 pic(12, 8);
  pic.Fill(MakePixel(0, 200, 0, 255));
  const std::string path = ::testing::TempDir() + "stress_obj.bmp";
  WriteBmpFile(pic, path);
  std::string text;
  for (int i = 0; i < 50; ++i) {
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\nFilename=" + path +
            "\r\nMotion=" + std::to_string(i % 10) + "\r\nPosLeftType=4\r\nPosTopType=4\r\n" +
            "DirFlip=1\r\nDisplayDurationType=1\r\nDisplayDurationSec=0\r\n";
  }
  test::ManualClock clock;
  TAnimEngine e(&clock);
  TProject p;
  for (int frame = 0; frame < 500; ++frame) {
    if (frame % 25 == 0) {
      test::MakePicture(p, 160, 120, frame % 50 == 0 ? 0x000000FFu : 0x00FFFFFFu);
      p.weather.WeatherKind = kWeatherSnow;
      p.weather.ParticleCount = 100;
      p.animObjects = std::make_shared<TAnimObjects>();
      p.animObjects->LoadFromText(text);
      e.SetProject(p);
      e.SetWeather(false);
      e.Start();
      e.SetWeather(true);
    }
    clock.Advance(7);
    e.RenderFrame();
    ASSERT_EQ(e.GetFrame().width(), 160);
  }
  ASSERT_EQ(p.animObjects->Count(), 50);
  // The object threads run on their own: on a busy machine the last picture's objects may
  // not have been scheduled yet, so give them (real) time before counting their steps.
  auto stepsRun = [&] {
    long steps = 0;
    for (int i = 0; i < 50; ++i) steps += (*p.animObjects)[i].Thread->StepsRun();
    return steps;
  };
  for (int wait = 0; wait < 5000 && stepsRun() == 0; ++wait) {
    clock.Advance(7);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_GT(stepsRun(), 0);
}

}  // namespace
}  // namespace tp
