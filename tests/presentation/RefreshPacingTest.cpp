// Presents paced to the screen's refresh: the bounds on a reported rate, when the pacer
// lets a frame go up, and a transition whose step count follows from its paced first frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/EventLog.h"
#include "presentation/PacedDisplay.h"
#include "presentation/RefreshPacer.h"
#include "presentation/TransitionDriver.h"

namespace tp {
namespace {

class StepClock : public Clock {
 public:
  explicit StepClock(uint32_t start) : now(start) {}
  uint32_t now;
  uint32_t Tick() override { return now; }
  void Sleep(uint32_t ms) override { now += ms; }
};

// Records the tick of every frame that reaches it; a frame costs showMs of the clock.
class TickDisplay : public Display {
 public:
  TickDisplay(StepClock& clock, double hz) : clock_(clock), hz_(hz) {}
  std::vector<uint32_t> shown;
  uint32_t showMs = 0;
  Bitmap32 screen{64, 32};
  int ScreenWidth() const override { return screen.width(); }
  int ScreenHeight() const override { return screen.height(); }
  int BitDepth() const override { return 32; }
  void Present(const Bitmap32& b, int x, int y) override {
    if (x == 0 && y == 0 && b.width() == screen.width() && b.height() == screen.height()) screen = b;
    Shown();
  }
  void FillBlack() override { Shown(); }
  void Capture(Bitmap32& out) override { out = screen; }
  bool InitScaled(int, int, int) override { return true; }
  bool CanDraw() const override { return true; }
  void PresentScaled(const Bitmap32&) override { Shown(); }
  void CaptureBackSurface(Bitmap32& out) override { out = screen; }
  double RefreshHz() const override { return hz_; }
  void ShowCursor(bool) override {}

 private:
  void Shown() {
    shown.push_back(clock_.now);
    clock_.now += showMs;
  }
  StepClock& clock_;
  double hz_;
};

TEST(RefreshInterval, ReportedRatesAreHeldToSaneBounds) {
  EXPECT_EQ(RefreshIntervalUs(60), 16667u);
  EXPECT_EQ(RefreshIntervalUs(59.94), 16683u);
  EXPECT_EQ(RefreshIntervalUs(144), 6944u);
  // No rate: presents are not paced.
  EXPECT_EQ(RefreshIntervalUs(0), 0u);
  EXPECT_EQ(RefreshIntervalUs(-60), 0u);
  EXPECT_EQ(RefreshIntervalUs(std::nan("")), 0u);
  // Absurd rates from a broken window system.
  EXPECT_EQ(RefreshIntervalUs(100000), 1000u);
  EXPECT_EQ(RefreshIntervalUs(std::numeric_limits<double>::infinity()), 1000u);
  EXPECT_EQ(RefreshIntervalUs(0.5), 50000u);
  EXPECT_EQ(RefreshIntervalUs(1e-300), 50000u);
}

TEST(RefreshPacer, FramesGoUpOneRefreshApartWithoutDriftAcrossTheTickWrap) {
  for (uint32_t showMs : {0u, 10u}) {
    StepClock clock(0xFFFFFF00u);  // 256 ms before the wrap
    const uint32_t start = clock.now;
    RefreshPacer pacer(clock, 16667);
    std::vector<uint32_t> shown, returned;
    for (int i = 0; i < 60; ++i) {
      pacer.Present([&] {
        shown.push_back(clock.now);
        clock.now += showMs;
      });
      returned.push_back(clock.now);
    }
    for (int i = 0; i < 60; ++i) {
      // Frame i is on the screen at refresh i + 1 (the first one after a pause waits a
      // whole interval), in whole milliseconds rounded up.
      const uint32_t refresh = uint32_t((uint64_t(i + 1) * 16667 + 999) / 1000);
      EXPECT_EQ(returned[size_t(i)] - start, refresh) << "frame " << i << " show " << showMs;
      if (i > 0) {
        EXPECT_GE(shown[size_t(i)] - shown[size_t(i) - 1], 16u) << i;
      }
    }
    EXPECT_EQ(returned.back() - start, 1001u);  // 60 x 16.667 ms, no drift from rounding
  }
}

TEST(RefreshPacer, AFrameAfterAPauseWaitsAWholeIntervalAndASlowOneIsNotSlowedFurther) {
  StepClock clock(5000);
  RefreshPacer pacer(clock, 16667);
  pacer.Present([] {});
  EXPECT_EQ(clock.now, 5017u);
  // Made within the interval: up at the next refresh.
  clock.now += 5;
  pacer.Present([] {});
  EXPECT_EQ(clock.now, 5034u);
  // Made after the screen's next refresh had passed: its phase is not known any more.
  clock.now += 40;
  pacer.Present([] {});
  EXPECT_EQ(clock.now, 5074u + 17u);
  // A frame that takes longer to show than an interval returns as soon as it is shown.
  pacer.Present([&] { clock.now += 25; });
  EXPECT_EQ(clock.now, 5091u + 25u);
  // Without an interval, nothing waits.
  RefreshPacer none(clock, 0);
  const uint32_t before = clock.now;
  for (int i = 0; i < 5; ++i) none.Present([] {});
  EXPECT_EQ(clock.now, before);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(PacedDisplay, EveryWayOfPresentingWaitsAndTheRateIsLoggedOnce) {
  const std::string path = ::testing::TempDir() + "paced-display-events.log";
  std::remove(path.c_str());
  setenv("TIDEPOOL_EVENT_LOG", path.c_str(), 1);
  ResetEventLog();
  StepClock clock(100);
  auto owned = std::make_unique<TickDisplay>(clock, 100000);  // held to 1000 Hz
  TickDisplay& screen = *owned;
  PacedDisplay paced(std::move(owned), clock);
  EXPECT_EQ(paced.refreshIntervalUs(), 1000u);
  Bitmap32 frame(64, 32), out;
  paced.Present(frame, 0, 0);
  paced.FillBlack();
  paced.PresentScaled(frame);
  paced.Capture(out);
  paced.CaptureBackSurface(out);
  EXPECT_EQ(screen.shown, (std::vector<uint32_t>{100, 101, 102}));
  EXPECT_EQ(clock.now, 103u);
  // An unpaced screen (headless by default) logs no rate.
  { PacedDisplay unpaced(std::make_unique<TickDisplay>(clock, 0), clock); }
  unsetenv("TIDEPOOL_EVENT_LOG");
  ResetEventLog();
  const std::string log = ReadAll(path);
  EXPECT_NE(log.find("display refresh 1000.00"), std::string::npos) << log;
  EXPECT_EQ(log.find("refresh"), log.rfind("refresh")) << log;
  std::remove(path.c_str());
}

TEST(PacedDisplay, ATransitionsStepsFollowFromItsPacedFirstFrame) {
  for (uint32_t showMs : {0u, 10u}) {
    StepClock clock(1000);
    auto owned = std::make_unique<TickDisplay>(clock, 60);
    TickDisplay& screen = *owned;
    screen.showMs = showMs;
    PacedDisplay paced(std::move(owned), clock);
    Bitmap32 oldBuf, newBuf, work, picture(64, 32);
    picture.Fill(MakePixel(200, 150, 100));
    const std::vector<int> allowed = {8};
    TransitionContext c;
    c.display = &paced;
    c.clock = &clock;
    c.oldPicture = &oldBuf;
    c.newPicture = &newBuf;
    c.work = &work;
    c.fittedPicture = &picture;
    c.allowedEffects = &allowed;
    const TransitionRun run = RunTransition(c, 2000);
    // The first frame waits for its refresh: 2000 div (17 + 1), whatever showing costs.
    EXPECT_EQ(run.steps, 111) << showMs;
    ASSERT_EQ(screen.shown.size(), 112u);
    for (size_t i = 1; i < screen.shown.size(); ++i) EXPECT_GE(screen.shown[i] - screen.shown[i - 1], 16u) << i;
    // 112 refreshes: about the transition's time.
    EXPECT_EQ(clock.now - 1000, uint32_t((112 * 16667 + 999) / 1000));
    EXPECT_EQ(screen.screen, picture);
  }
}

}  // namespace
}  // namespace tp
