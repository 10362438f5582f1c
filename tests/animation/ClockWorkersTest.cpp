// Object threads and GIF painters on the headless virtual clock: they step on virtual
// time only, never beside the UI thread, and a run repeats exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "animation/GifObject.h"
#include "animation/ImgObject.h"
#include "animation/ObjectThread.h"
#include "core/ProgramRandom.h"
#include "imaging/ImageWriter.h"
#include "platform/headless/HeadlessClock.h"

namespace tp {
namespace {

// The UI thread's time as the saver spends it: a pacing sleep, then a presented frame.
void RunFrames(HeadlessClock& clock, uint32_t until, const std::function<void()>& eachFrame = {}) {
  while (clock.Tick() < until) {
    clock.Sleep(std::min<uint32_t>(23, until - clock.Tick()));
    clock.Advance(std::min<uint32_t>(10, until - clock.Tick()));
    if (eachFrame) eachFrame();
  }
}

TEST(ClockWorkers, ObjectThreadStepsEveryFiveMillisecondsOfVirtualTime) {
  HeadlessClock clock(false);
  clock.Advance(7);
  std::vector<uint32_t> ticks;  // written by the worker only while the UI thread waits
  TObjectThread thread([&] { ticks.push_back(clock.Tick()); }, &clock);
  thread.Resume();
  RunFrames(clock, 2007);
  thread.Suspend();
  ASSERT_EQ(ticks.size(), 401u);  // 7, 12, ..., 2007
  for (size_t i = 0; i < ticks.size(); ++i) ASSERT_EQ(ticks[i], 7 + 5 * i) << i;

  // Suspended: no steps while the clock moves on; resumed: the next step comes at once.
  RunFrames(clock, 2100);
  EXPECT_EQ(ticks.size(), 401u);
  thread.Resume();
  clock.Advance(0);
  ASSERT_EQ(ticks.size(), 402u);
  EXPECT_EQ(ticks.back(), 2100u);
  // Ending a thread that waits for a wake-up that never comes does not hang.
  thread.Terminate();
}

TEST(ClockWorkers, AnotherThreadsSleepEndsOnVirtualTimeOnly) {
  HeadlessClock clock(false);
  std::atomic<bool> woke{false};
  std::thread other([&] {
    clock.Sleep(50);
    woke = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(woke.load());
  clock.Advance(49);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(woke.load());
  clock.Advance(1);
  other.join();
  EXPECT_TRUE(woke.load());
}

class ClockWorkersShow : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) / "clock-workers";
    std::filesystem::create_directories(dir_);
    Bitmap32 sprite(12, 8);
    sprite.Fill(MakePixel(0, 200, 255, 255));
    WriteBmpFile(sprite, (dir_ / "sprite.bmp").string());
    const std::string gif = (dir_ / "blink.gif").string();
    ASSERT_EQ(std::system(("convert -delay 3 -size 10x10 xc:red xc:lime xc:blue -loop 0 '" + gif + "'").c_str()), 0);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A show of three moving still objects and a blinking GIF, with the UI thread drawing
  // random numbers of its own each frame; returns what every frame saw.
  std::vector<std::string> Play() {
    HeadlessClock clock(false);
    std::vector<std::unique_ptr<TAnimImgObject>> objects;
    const int motions[] = {1, 2, 9};
    for (int motion : motions) {
      auto o = std::make_unique<TImgObject>();
      o->Filename = (dir_ / "sprite.bmp").string();
      o->Motion = uint8_t(motion);
      o->PosLeftType = 4;
      o->PosTopType = 4;
      objects.push_back(std::move(o));
    }
    auto gif = std::make_unique<TGifObject>();
    gif->Filename = (dir_ / "blink.gif").string();
    gif->Motion = 2;
    objects.push_back(std::move(gif));
    for (auto& o : objects) {
      o->SetClock(&clock);
      o->DesignWidth = 320;
      o->DesignHeight = 240;
      o->TargetRect = Rect{0, 0, 320, 240};
      o->Start();
      o->Resume();
    }
    std::vector<std::string> log;
    RunFrames(clock, 1500, [&] {
      std::string line = std::to_string(clock.Tick()) + " r" + std::to_string(ProgramRandom::Random(1000));
      for (auto& o : objects) {
        auto lk = o->Lock();
        if (o.get() == objects.back().get() && !o->Buffer.empty()) gifColours_.insert(o->Buffer.at(5, 5));
        if (o.get() == objects.front().get()) positions_.insert(o->PixelLeft() * 10000 + o->PixelTop());
        line += " " + std::to_string(o->PixelLeft()) + "," + std::to_string(o->PixelTop()) + "," +
                std::to_string(o->StepCount) + "," + std::to_string(o->Buffer.empty() ? 0u : o->Buffer.at(5, 5));
      }
      log.push_back(line);
    });
    for (auto& o : objects) o->Stop();
    return log;
  }

  std::filesystem::path dir_;
  std::set<uint32_t> gifColours_;
  std::set<int> positions_;
};

TEST_F(ClockWorkersShow, ARedisplayedGifStartsOverOnItsOwnPainter) {
  HeadlessClock clock(false);
  TGifObject gif;
  gif.SetClock(&clock);
  gif.Filename = (dir_ / "blink.gif").string();  // red, lime, blue; 30 ms each
  gif.DisplayDurationType = 1;
  gif.DisplaySec = 0;
  gif.DisplayDurationSec = 1;
  gif.DesignWidth = 100;
  gif.DesignHeight = 100;
  gif.TargetRect = Rect{0, 0, 100, 100};
  gif.Start();
  gif.Resume();
  auto colourAt = [&](uint32_t t) {
    RunFrames(clock, t);
    auto lk = gif.Lock();
    return gif.Buffer.at(5, 5) & 0xFFFFFF;
  };
  EXPECT_EQ(colourAt(10), 0xFF0000u);
  EXPECT_EQ(colourAt(40), 0x00FF00u);
  EXPECT_EQ(colourAt(70), 0x0000FFu);
  // Hidden and started over at 1000 ms (the animation had come round to red at 990):
  // frame 0 again, then the next frames 30 ms apart from there.
  EXPECT_EQ(colourAt(1010), 0xFF0000u);
  EXPECT_EQ(colourAt(1055), 0x00FF00u);
  EXPECT_EQ(colourAt(1065), 0x0000FFu);
  EXPECT_EQ(colourAt(2025), 0xFF0000u);
  EXPECT_EQ(gif.PainterThreadsStarted(), 1);
  gif.Stop();
}

TEST_F(ClockWorkersShow, ThreeRunsSeeTheSameFrames) {
  const std::vector<std::string> first = Play();
  ASSERT_GT(first.size(), 40u);
  // Objects moved and the GIF played all its frames within the run.
  EXPECT_GT(positions_.size(), 10u);
  EXPECT_EQ(gifColours_.size(), 3u);
  EXPECT_EQ(Play(), first);
  EXPECT_EQ(Play(), first);
}

}  // namespace
}  // namespace tp
