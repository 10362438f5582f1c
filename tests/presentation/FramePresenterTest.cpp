#include <gtest/gtest.h>

#include <vector>

#include "platform/Clock.h"
#include "platform/Display.h"
#include "presentation/FramePresenter.h"

namespace tp {
namespace {

class StepClock : public Clock {
 public:
  uint32_t now = 0;
  std::vector<uint32_t> sleeps;
  uint32_t Tick() override { return now; }
  void Sleep(uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
};

// Records what reaches the screen.
class RecordingDisplay : public Display {
 public:
  struct Call {
    bool scaled;
    int x, y, w, h;
  };
  std::vector<Call> calls;
  bool canDraw = false;
  int ScreenWidth() const override { return 1280; }
  int ScreenHeight() const override { return 1024; }
  int BitDepth() const override { return 32; }
  void Present(const Bitmap32& b, int x, int y) override { calls.push_back({false, x, y, b.width(), b.height()}); }
  void FillBlack() override {}
  void Capture(Bitmap32&) override {}
  bool InitScaled(int, int, int) override { return canDraw; }
  bool CanDraw() const override { return canDraw; }
  void PresentScaled(const Bitmap32& b) override { calls.push_back({true, 0, 0, b.width(), b.height()}); }
  void CaptureBackSurface(Bitmap32&) override {}
  void ShowCursor(bool) override {}
};

TEST(PaceFrame, FramesAreAtLeastAFramePeriodApartAcrossTheTickWrap) {
  StepClock clock;
  PresentationState state;
  clock.now = 0xFFFFFFF0u;  // 16 ms before the wrap
  state.lastFrameTick = clock.now;
  clock.now += 10;
  PaceFrame(clock, state);
  ASSERT_EQ(clock.sleeps.size(), 1u);
  EXPECT_EQ(clock.sleeps[0], 23u);
  EXPECT_EQ(state.lastFrameTick, 0xFFFFFFF0u + 33u);  // wrapped past zero
  // A slow frame (50 ms) is not made slower.
  clock.now += 50;
  PaceFrame(clock, state);
  EXPECT_EQ(clock.sleeps.size(), 1u);
  EXPECT_EQ(state.lastFrameTick, clock.now);
}

TEST(DrawCurrentFrame, PlainPictureGoesToTheScreenOnceUntilSomethingElseDraws) {
  StepClock clock;
  RecordingDisplay display;
  PresentationState state;
  state.screenWidth = 1280;
  state.screenHeight = 1024;
  state.stretch = true;
  state.proportional = true;
  state.fittedPicture.SetSize(1280, 320);
  state.pictureWidth = 1280;
  state.pictureHeight = 320;
  for (int i = 0; i < 3; ++i) DrawCurrentFrame(display, clock, state, nullptr);
  ASSERT_EQ(display.calls.size(), 1u);
  EXPECT_EQ(display.calls[0].y, 352);
  EXPECT_EQ(display.calls[0].h, 320);
  EXPECT_EQ(clock.now, 99u);  // every step still takes a frame period
  state.frameOnScreen = false;  // e.g. after a black clear
  DrawCurrentFrame(display, clock, state, nullptr);
  EXPECT_EQ(display.calls.size(), 2u);
}

TEST(DrawCurrentFrame, EngineFramesAreDrawnEveryStepAndMissingFramesSkipped) {
  StepClock clock;
  RecordingDisplay display;
  PresentationState state;
  state.plainPicture = false;
  state.stretch = false;
  state.screenWidth = 1280;
  state.screenHeight = 1024;
  state.pictureWidth = 640;
  state.pictureHeight = 480;
  Bitmap32 frame(640, 480);
  DrawCurrentFrame(display, clock, state, &frame);
  DrawCurrentFrame(display, clock, state, &frame);
  DrawCurrentFrame(display, clock, state, nullptr);
  ASSERT_EQ(display.calls.size(), 2u);
  EXPECT_EQ(display.calls[1].x, 320);
  EXPECT_EQ(display.calls[1].y, 272);
}

TEST(PresentBitmap, ScaledPathDropsFramesUntilTheDisplayCanDraw) {
  RecordingDisplay display;
  PresentationState state;
  state.directDrawInUse = true;
  Bitmap32 frame(640, 480);
  PresentBitmap(display, state, frame, 5, 5);
  EXPECT_TRUE(display.calls.empty());
  display.canDraw = true;
  PresentBitmap(display, state, frame, 5, 5);
  ASSERT_EQ(display.calls.size(), 1u);
  EXPECT_TRUE(display.calls[0].scaled);
  EXPECT_EQ(display.calls[0].w, 640);
}

}  // namespace
}  // namespace tp
