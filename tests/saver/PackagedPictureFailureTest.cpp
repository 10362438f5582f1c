// Packaged pictures too big for the memory at hand: the picture fails, the show goes on.
#include <gtest/gtest.h>

#include <algorithm>

#include "animation/AnimTestSupport.h"
#include "imaging/Bitmap32.h"
#include "project/PackagedPicture.h"
#include "project/PackagedPictureWriter.h"
#include "saver/PackagedPictureSteps.h"
#include "saver/SaverRunFixture.h"

namespace tp::test {
namespace {

// Bitmaps above `pixels` fail to allocate while this lives.
class PixelLimit {
 public:
  explicit PixelLimit(size_t pixels) { Bitmap32::SetMaxPixels(pixels); }
  ~PixelLimit() { Bitmap32::SetMaxPixels(Bitmap32::kDefaultMaxPixels); }
};

class PackagedPictureFailure : public SaverRunTest {
 protected:
  std::string Packaged(const std::string& name, int w, int h) {
    TProject p;
    MakePicture(p, w, h, kAreaMaskColors[1]);
    p.wave(0).Amplitude = 6;
    const std::string path = (dir_ / name).string();
    SavePackagedPicture(p, path, 95);
    return path;
  }
};

// The picture decodes, but its scaling to the screen runs out of memory.
TEST_F(PackagedPictureFailure, AFailedFitLeavesNoFrameAndTheNextPictureShows) {
  const std::string small = Packaged("small.mpp", 64, 48);
  ManualClock clock;
  auto steps = CreatePackagedPictureSteps(clock);
  PresentationState state;
  state.screenWidth = 1024;
  state.screenHeight = 768;
  state.stretch = state.proportional = true;
  ASSERT_TRUE(steps->LoadAndFit(small, state, 100, ""));
  ASSERT_NE(steps->Frame(), nullptr);
  EXPECT_EQ(steps->Frame()->width(), 1024);
  {
    PixelLimit limit(1024 * 767);
    EXPECT_FALSE(steps->LoadAndFit(small, state, 100, ""));
  }
  EXPECT_EQ(steps->Frame(), nullptr);
  EXPECT_TRUE(steps->SoundSlots().empty());
  clock.Advance(40);
  steps->RenderFrame();
  steps->ResetOutput();

  state.stretch = false;
  ASSERT_TRUE(steps->LoadAndFit(small, state, 100, ""));
  clock.Advance(40);
  steps->RenderFrame();
  ASSERT_NE(steps->Frame(), nullptr);
  EXPECT_EQ(steps->Frame()->width(), 64);
}

// A show of a small picture and one whose decoding runs out of memory keeps going: the big
// one shows nothing, the small one comes back.
TEST_F(PackagedPictureFailure, AShowSurvivesAPictureTooBigForMemory) {
  SaverProject p = Project({Packaged("small.mpp", 64, 48), Packaged("big.mpp", 1400, 1100)});
  p.settings.stretch = false;
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  PixelLimit limit(1280 * 1024);  // the screen still fits
  const SaverRunResult r = Run(p, 3500);
  std::vector<int> widths;
  for (const FrameLine& f : r.frames)
    if (f.path == "window" && (widths.empty() || widths.back() != f.w)) widths.push_back(f.w);
  EXPECT_EQ(widths, std::vector<int>{64}) << "only the small picture is ever drawn";
  const std::vector<std::string> loads = r.Details("load");
  EXPECT_GE(std::count(loads.begin(), loads.end(), p.pictures[0]), 2);
  EXPECT_EQ(r.Details("close-request"), std::vector<std::string>{"system"});
}

}  // namespace
}  // namespace tp::test
