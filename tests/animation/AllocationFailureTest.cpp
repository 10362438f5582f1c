// Allocations that fail part-way through a picture change leave nothing half-built: the
// bitmap keeps its old size, the engine stops with no frame, and the next picture works.
#include <gtest/gtest.h>

#include <new>

#include "animation/AnimEngine.h"
#include "animation/AnimObjects.h"
#include "animation/AnimTestSupport.h"
#include "imaging/Bitmap32.h"

namespace tp {
namespace {

constexpr Pixel kBlue = 0x000000FF;  // water of area 1

// Bitmaps above `pixels` fail to allocate while this lives.
class PixelLimit {
 public:
  explicit PixelLimit(size_t pixels) { Bitmap32::SetMaxPixels(pixels); }
  ~PixelLimit() { Bitmap32::SetMaxPixels(Bitmap32::kDefaultMaxPixels); }
};

TEST(Bitmap32, AFailedResizeLeavesTheBitmapAsItWas) {
  Bitmap32 b(4, 3);
  b.Fill(0x123456);
  {
    PixelLimit limit(100);
    EXPECT_THROW(b.SetSize(20, 20), std::bad_alloc);
    EXPECT_THROW(b.SetSizeUninitialized(11, 10), std::bad_alloc);
    b.SetSize(10, 10);  // at the limit is still allowed
    EXPECT_EQ(b.width(), 10);
  }
  Bitmap32 c(4, 3);
  c.Fill(0x123456);
  // A size no allocation can give, whatever the limit: the size stays, the pixels too.
  EXPECT_THROW(c.SetSize(70000, 70000), std::bad_alloc);
  EXPECT_EQ(c.width(), 4);
  EXPECT_EQ(c.height(), 3);
  EXPECT_EQ(c.pixelCount(), 12u);
  EXPECT_EQ(c.at(3, 2), Pixel(0x123456));
}

TEST(AnimEngine, AStartThatRunsOutOfMemoryLeavesTheEngineStoppedAndTheNextPictureWorks) {
  test::ManualClock clock;
  TProject small, big;
  test::MakePicture(small, 32, 24, kBlue);
  test::MakePicture(big, 128, 96, kBlue);
  small.wave(0).Amplitude = big.wave(0).Amplitude = 4;
  small.wave(0).Reflection = big.wave(0).Reflection = true;
  TAnimEngine e(&clock);
  e.SetProject(small);
  e.Start();
  clock.Advance(40);
  e.RenderFrame();
  ASSERT_TRUE(e.HasFrame());

  {
    // The big picture exists already; the engine's own frames for it cannot be had.
    PixelLimit limit(32 * 24);
    e.SetProject(big);
    e.SetWeather(false);
    EXPECT_THROW(e.Start(), std::bad_alloc);
  }
  EXPECT_FALSE(e.HasFrame());
  EXPECT_EQ(e.Width, 0);
  // Frames of a stopped engine draw nothing (ASan would see any write past the old rows).
  for (int i = 0; i < 3; ++i) {
    clock.Advance(40);
    e.RenderFrame();
  }
  e.ResetOutput();
  EXPECT_TRUE(e.GetFrame().empty());

  e.SetProject(big);
  e.Start();
  clock.Advance(40);
  e.RenderFrame();
  ASSERT_TRUE(e.HasFrame());
  EXPECT_EQ(e.GetFrame().width(), 128);
  EXPECT_EQ(e.GetFrame().height(), 96);
}

}  // namespace
}  // namespace tp
