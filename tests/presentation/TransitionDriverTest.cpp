// The transition driver on a fake screen whose clock moves only when a frame is shown:
// step counts, progress values, effect choice, offsets, both drawing paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/ProgramRandom.h"
#include "effects/EffectRandom.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/EventLog.h"
#include "platform/RunLoop.h"
#include "presentation/TransitionDriver.h"

namespace tp {
namespace {

class FakeClock : public Clock {
 public:
  uint32_t now = 1000;
  uint32_t Tick() override { return now; }
  void Sleep(uint32_t ms) override { now += ms; }
};

// A screen bitmap that every presented frame is copied into; each frame costs
// firstCost milliseconds the first time and laterCost after that.
class FakeDisplay : public Display {
 public:
  FakeDisplay(FakeClock& clock, int w, int h) : screen(w, h), clock_(clock) {}

  int ScreenWidth() const override { return screen.width(); }
  int ScreenHeight() const override { return screen.height(); }
  int BitDepth() const override { return 32; }
  void Present(const Bitmap32& b, int x, int y) override {
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    screen = b;
    Shown(b, false);
  }
  void FillBlack() override { screen.Fill(0); }
  void Capture(Bitmap32& out) override { out = screen; }
  bool InitScaled(int, int, int) override { return canDraw; }
  bool CanDraw() const override { return canDraw; }
  void PresentScaled(const Bitmap32& b) override {
    back = b;
    Shown(b, true);
  }
  void CaptureBackSurface(Bitmap32& out) override { out = back; }
  void ShowCursor(bool) override {}

  uint32_t firstCost = 19;
  uint32_t laterCost = 19;
  bool canDraw = true;
  Bitmap32 screen;
  Bitmap32 back;
  std::vector<Bitmap32> frames;
  std::vector<bool> scaled;

 private:
  void Shown(const Bitmap32& b, bool isScaled) {
    frames.push_back(b);
    scaled.push_back(isScaled);
    clock_.now += frames.size() == 1 ? firstCost : laterCost;
  }
  FakeClock& clock_;
};

class CountingLoop : public RunLoop {
 public:
  int pumps = 0;
  std::function<void()> onPump;
  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  void WaitMessage() override {}
  void Post(std::function<void()>) override {}
};

constexpr Pixel kOld = MakePixel(10, 20, 30);
constexpr Pixel kNew = MakePixel(200, 150, 100);

struct Rig {
  FakeClock clock;
  FakeDisplay display;
  CountingLoop loop;
  Bitmap32 oldBuf{800, 600}, newBuf{800, 600}, workBuf{800, 600};
  Bitmap32 picture;
  std::vector<int> allowed;
  TransitionContext context;

  Rig(int w, int h, std::vector<int> effects) : display(clock, w, h), allowed(std::move(effects)) {
    display.screen.Fill(kOld);
    picture.SetSize(w, h);
    picture.Fill(kNew);
    context.display = &display;
    context.runLoop = &loop;
    context.clock = &clock;
    context.oldPicture = &oldBuf;
    context.newPicture = &newBuf;
    context.work = &workBuf;
    context.fittedPicture = &picture;
    context.allowedEffects = &allowed;
  }
};

// Columns of the frame that show the new picture, counted along the middle row.
int NewColumns(const Bitmap32& frame) {
  int n = 0;
  for (int x = 0; x < frame.width(); ++x) n += frame.at(x, frame.height() / 2) == kNew;
  return n;
}

// Effect 8 (Reveal from left) on a screen 100 pixels wide uncovers exactly `progress`
// columns, so the frames tell the progress values the driver used.
std::vector<int> ProgressOfFrames(const FakeDisplay& d) {
  std::vector<int> p;
  for (const auto& f : d.frames) p.push_back(NewColumns(f));
  return p;
}

TEST(RunTransition, FirstFrameCostSetsTheStepCountAndProgressRunsToOneHundred) {
  Rig rig(100, 40, {8});
  rig.display.firstCost = 19;  // 2000 div (19 + 1) = 100 steps
  const TransitionRun run = RunTransition(rig.context, 2000);
  EXPECT_EQ(run.effect, 8);
  EXPECT_EQ(run.steps, 100);
  std::vector<int> expected;
  for (int i = 0; i <= 100; ++i) expected.push_back(i);
  EXPECT_EQ(ProgressOfFrames(rig.display), expected);
  // The last transition frame is the new picture; pumped after every later frame.
  EXPECT_EQ(rig.display.screen, rig.picture);
  EXPECT_GE(rig.loop.pumps, 100);
}

TEST(RunTransition, EventLogNamesTheEffectAndTheSteps) {
  const std::string path = ::testing::TempDir() + "transition-events.log";
  std::remove(path.c_str());
  setenv("TIDEPOOL_EVENT_LOG", path.c_str(), 1);
  ResetEventLog();
  Rig rig(100, 40, {5});
  rig.display.firstCost = 19;
  RunTransition(rig.context, 2000);
  unsetenv("TIDEPOOL_EVENT_LOG");
  ResetEventLog();
  std::ifstream in(path);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("transition effect=5 steps=100"), std::string::npos) << log;
  std::remove(path.c_str());
}

TEST(RunTransition, EightStepsRoundTiesToEven) {
  Rig rig(100, 40, {8});
  rig.display.firstCost = 24;  // 200 div 25 = 8
  const TransitionRun run = RunTransition(rig.context, 200);
  EXPECT_EQ(run.steps, 8);
  EXPECT_EQ(ProgressOfFrames(rig.display),
            (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
}

TEST(RunTransition, NoStepsWhenTheFirstFrameIsTooSlowOrTheTimeIsNotPositive) {
  for (int duration : {0, -500, 30}) {
    Rig rig(100, 40, {8});
    rig.display.firstCost = 40;
    const TransitionRun run = RunTransition(rig.context, duration);
    EXPECT_EQ(run.steps, 0) << duration;
    ASSERT_EQ(rig.display.frames.size(), 1u) << duration;  // only the progress-0 frame
    EXPECT_EQ(NewColumns(rig.display.screen), 0) << duration;
  }
}

TEST(RunTransition, EveryFrameStartsFromTheCapturedScreen) {
  // What the screen showed (here a pattern, not a flat colour) is the old picture of
  // every frame: half-way, the right half still shows it unchanged.
  Rig rig(100, 40, {8});
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) rig.display.screen.at(x, y) = MakePixel(uint8_t(x), uint8_t(y), 1);
  const Bitmap32 before = rig.display.screen;
  rig.display.firstCost = 49;  // 4 steps: 25, 50, 75, 100
  RunTransition(rig.context, 200);
  ASSERT_EQ(rig.display.frames.size(), 5u);
  const Bitmap32& half = rig.display.frames[2];
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 100; ++x) {
      ASSERT_EQ(half.at(x, y), x < 50 ? kNew : before.at(x, y)) << x << "," << y;
    }
  }
}

TEST(RunTransition, EffectIsDrawnFromTheAllowedListWithTheProgramGenerator) {
  const std::vector<int> allowed = {3, 17, 64, 129, 160};
  for (uint32_t seed : {1u, 77u, 123456u, 0xDEADBEEFu}) {
    EffectRandom expected(seed);
    const int index = expected.Next(int32_t(allowed.size()));
    ProgramRandom::SetSeed(seed);
    Rig rig(64, 48, allowed);
    rig.display.firstCost = 500;
    const TransitionRun run = RunTransition(rig.context, 100);
    EXPECT_EQ(run.effect, allowed[size_t(index)]) << seed;
  }
  // A single entry is always chosen; an empty list means effect 1.
  for (uint32_t seed = 0; seed < 20; ++seed) {
    ProgramRandom::SetSeed(seed * 7919u);
    Rig five(64, 48, {5});
    five.display.firstCost = 500;
    EXPECT_EQ(RunTransition(five.context, 100).effect, 5);
    Rig none(64, 48, {});
    none.display.firstCost = 500;
    EXPECT_EQ(RunTransition(none.context, 100).effect, 1);
  }
}

TEST(RunTransition, SmallerPictureIsCentredOnBlackUnlessStretchedOverTheScreen) {
  struct Case {
    bool stretch, proportional;
    int x0, y0;
  };
  for (const Case c : {Case{false, false, 20, 10}, Case{true, true, 20, 10},
                       Case{true, false, 0, 0}}) {
    Rig rig(100, 40, {1});  // Fade ends on exactly the new buffer's colours
    rig.picture.SetSize(60, 20);
    rig.picture.Fill(kNew);
    rig.context.stretch = c.stretch;
    rig.context.proportional = c.proportional;
    rig.display.firstCost = 9;
    RunTransition(rig.context, 100);
    const Bitmap32& last = rig.display.frames.back();
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 100; ++x) {
        const bool inside = x >= c.x0 && x < c.x0 + 60 && y >= c.y0 && y < c.y0 + 20;
        ASSERT_EQ(last.at(x, y) & 0xFFFFFFu, inside ? kNew : 0u)
            << "stretch " << c.stretch << " proportional " << c.proportional << " at " << x
            << "," << y;
      }
    }
  }
}

TEST(RunTransition, ScaledPathUsesTheBackSurfaceSizeAndNoOffset) {
  Rig rig(1280, 1024, {8});
  rig.context.directDrawInUse = true;
  rig.context.stretch = false;  // would centre on the window path
  rig.display.back.SetSize(100, 40);
  rig.display.back.Fill(kOld);
  rig.picture.SetSize(50, 40);
  rig.picture.Fill(kNew);
  rig.display.firstCost = 49;
  const TransitionRun run = RunTransition(rig.context, 200);
  EXPECT_EQ(run.steps, 4);
  ASSERT_EQ(rig.display.frames.size(), 5u);
  for (size_t i = 0; i < rig.display.frames.size(); ++i) {
    EXPECT_TRUE(rig.display.scaled[i]);
    EXPECT_EQ(rig.display.frames[i].width(), 100);
    EXPECT_EQ(rig.display.frames[i].height(), 40);
  }
  EXPECT_EQ(rig.workBuf.width(), 100);
  EXPECT_EQ(rig.newBuf.width(), 100);
  // Drawn at (0, 0): the left 50 columns are the picture, the rest black.
  const Bitmap32& last = rig.display.frames.back();
  EXPECT_EQ(last.at(49, 20), kNew);
  EXPECT_EQ(last.at(50, 20), 0u);
}

TEST(RunTransition, ScaledPathThatCannotDrawStillRunsItsSteps) {
  Rig rig(1280, 1024, {8});
  rig.context.directDrawInUse = true;
  rig.display.canDraw = false;
  rig.display.back.SetSize(100, 40);
  rig.display.back.Fill(kOld);
  // Nothing is shown, so the clock moves only through the pumps.
  rig.loop.onPump = [&] { rig.clock.now += 1; };
  const TransitionRun run = RunTransition(rig.context, 50);
  EXPECT_TRUE(rig.display.frames.empty());
  EXPECT_GT(run.steps, 0);
  EXPECT_GE(rig.loop.pumps, run.steps);
}

TEST(RunTransition, PackagedPictureAdvancesTheEngineEveryFrame) {
  Rig rig(100, 40, {8});
  rig.context.plainPicture = false;
  rig.context.fittedPicture = nullptr;
  Bitmap32 engineFrame(100, 40);
  int advances = 0;
  rig.context.advanceEngine = [&]() -> const Bitmap32& {
    ++advances;
    rig.clock.now += 5;  // the engine's step counts toward the first frame's cost
    engineFrame.Fill(MakePixel(uint8_t(advances), 150, 100));
    return engineFrame;
  };
  rig.display.firstCost = 14;  // 14 + 5 + 1 = 20 per step: 200 div 20 = 10
  const TransitionRun run = RunTransition(rig.context, 200);
  EXPECT_EQ(run.steps, 10);
  EXPECT_EQ(advances, 11);
  // Each frame shows the engine frame of its own step.
  EXPECT_EQ(rig.display.frames.back().at(0, 0), MakePixel(11, 150, 100));
  EXPECT_EQ(rig.display.frames[5].at(0, 0), MakePixel(6, 150, 100));
}

TEST(RunTransition, ZeroSizedScreenSkipsTheTransition) {
  Rig rig(0, 0, {8});
  const TransitionRun run = RunTransition(rig.context, 2000);
  EXPECT_EQ(run.effect, 0);
  EXPECT_EQ(run.steps, 0);
  EXPECT_TRUE(rig.display.frames.empty());
  Rig scaled(100, 40, {8});
  scaled.context.directDrawInUse = true;  // nothing presented yet: empty back surface
  EXPECT_EQ(RunTransition(scaled.context, 2000).effect, 0);
  EXPECT_TRUE(scaled.display.frames.empty());
}

TEST(TransitionExtents, LongerSideDrivesAndTheOtherKeepsTheAspect) {
  int x = 0, y = 0;
  TransitionExtents(1280, 1024, 50, x, y);
  EXPECT_EQ(x, 640);
  EXPECT_EQ(y, 512);
  TransitionExtents(768, 1024, 33, x, y);
  EXPECT_EQ(y, 338);
  EXPECT_EQ(x, 254);  // 253.5 rounded away from zero
  TransitionExtents(1280, 1024, 100, x, y);
  EXPECT_EQ(x, 1280);
  EXPECT_EQ(y, 1024);
  TransitionExtents(1, 1, 49, x, y);
  EXPECT_EQ(x, 0);
  TransitionExtents(1, 1, 50, x, y);
  EXPECT_EQ(x, 1);
}

TEST(ParseTransitionEffects, KeepsWholeNumbersInRangeWithRepeats) {
  EXPECT_EQ(ParseTransitionEffects("5"), std::vector<int>{5});
  EXPECT_EQ(ParseTransitionEffects("1,2,169"), (std::vector<int>{1, 2, 169}));
  EXPECT_EQ(ParseTransitionEffects(" 4 , 7\t9 "), (std::vector<int>{4, 7, 9}));
  EXPECT_EQ(ParseTransitionEffects("\"12\",\"13\""), (std::vector<int>{12, 13}));
  EXPECT_EQ(ParseTransitionEffects("5,5,6"), (std::vector<int>{5, 5, 6}));
  EXPECT_EQ(ParseTransitionEffects("005,00000012"), (std::vector<int>{5, 12}));
  // The project default: every effect once, in order.
  std::string all;
  for (int i = 1; i <= 169; ++i) all += (i > 1 ? "," : "") + std::to_string(i);
  const std::vector<int> parsed = ParseTransitionEffects(all);
  ASSERT_EQ(parsed.size(), 169u);
  EXPECT_EQ(parsed.front(), 1);
  EXPECT_EQ(parsed.back(), 169);
}

TEST(ParseTransitionEffects, DropsEverythingElseAndFallsBackToOne) {
  EXPECT_EQ(ParseTransitionEffects(""), std::vector<int>{1});
  EXPECT_EQ(ParseTransitionEffects("   "), std::vector<int>{1});
  EXPECT_EQ(ParseTransitionEffects(",,,"), std::vector<int>{1});
  EXPECT_EQ(ParseTransitionEffects("0,170,-3,abc,5.0,7x,99999999999,0000000170"), std::vector<int>{1});
  EXPECT_EQ(ParseTransitionEffects("0,44,170,fade,45,"), (std::vector<int>{44, 45}));
}

}  // namespace
}  // namespace tp
