#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"
#include "imaging/import/ImageLoader.h"
#include "saver/SaverRunFixture.h"

namespace tp::test {
namespace {

constexpr Pixel kRed = MakePixel(220, 20, 20, 255);
constexpr Pixel kBlue = MakePixel(20, 20, 220, 255);
constexpr Pixel kGreen = MakePixel(20, 220, 20, 255);

std::vector<const FrameLine*> FramesOf(const SaverRunResult& r, const std::string& path) {
  std::vector<const FrameLine*> out;
  for (const FrameLine& f : r.frames)
    if (f.path == path) out.push_back(&f);
  return out;
}

using SaverWindow = SaverRunTest;

TEST_F(SaverWindow, SequentialOrderWrapsWithABlackClearBeforeEachNewPicture) {
  const std::string a = Picture("a.bmp", 64, 48, kRed), b = Picture("b.bmp", 64, 48, kBlue),
                    c = Picture("c.bmp", 64, 48, kGreen);
  SaverProject p = Project({a, b, c});
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  const SaverRunResult r = Run(p, 6500);
  const auto loads = r.Details("load");
  ASSERT_GE(loads.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(loads.begin(), loads.begin() + 6),
            (std::vector<std::string>{a, b, c, a, b, c}));
  // Each picture stays at least its display time.
  const auto ticks = r.Ticks("load");
  for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], 1000u);
  // No transition in this run: every change clears to black first, then draws once.
  EXPECT_EQ(FramesOf(r, "black").size(), loads.size() - 1);
  EXPECT_EQ(FramesOf(r, "window").size(), loads.size());
  EXPECT_EQ(r.Details("cursor").front(), "hide count=-1");
  EXPECT_EQ(r.Details("cursor").back(), "show count=0");
}

TEST_F(SaverWindow, OnePictureIsLoadedOnceAndNeitherRedrawnNorCleared) {
  const std::string a = Picture("a.jpg", 80, 60, kRed);
  SaverProject p = Project({a});
  p.settings.displayTime = 1;
  p.settings.transition = true;
  const SaverRunResult r = Run(p, 5000);
  EXPECT_EQ(r.Details("load"), std::vector<std::string>{a});
  EXPECT_EQ(FramesOf(r, "window").size(), 1u);
  EXPECT_TRUE(FramesOf(r, "black").empty());
}

TEST_F(SaverWindow, AdvanceOffKeepsTheFirstPictureForTheWholeRun) {
  SaverProject p = Project({Picture("a.bmp", 8, 8, kRed), Picture("b.bmp", 8, 8, kBlue)});
  p.settings.advance = false;
  p.settings.displayTime = 0;
  const SaverRunResult r = Run(p, 3000);
  EXPECT_EQ(r.Details("load").size(), 1u);
}

TEST_F(SaverWindow, DurationZeroOrNegativeChangesAtEveryStepAtTheFramePace) {
  for (int duration : {0, -5}) {
    const std::string a = Picture("a.bmp", 8, 8, kRed), b = Picture("b.bmp", 8, 8, kBlue);
    SaverProject p = Project({a, b});
    p.settings.orderMode = 1;
    p.settings.displayTime = duration;
    p.settings.stretch = false;
    const SaverRunResult r = Run(p, 2000);
    const auto loads = r.Details("load");
    ASSERT_GE(loads.size(), 20u) << duration;
    for (size_t i = 0; i < loads.size(); ++i) ASSERT_EQ(loads[i], i % 2 ? b : a) << i;
    const auto windows = FramesOf(r, "window");
    for (size_t i = 1; i < windows.size(); ++i) ASSERT_GE(windows[i]->tick - windows[i - 1]->tick, 33u);
  }
}

TEST_F(SaverWindow, RandomOrderNeverShowsThePictureTwiceInARow) {
  std::vector<std::string> pictures;
  for (int i = 0; i < 4; ++i) pictures.push_back(Picture("p" + std::to_string(i) + ".bmp", 8, 8, kRed + Pixel(i)));
  SaverProject p = Project(pictures);
  p.settings.orderMode = 0;
  p.settings.displayTime = 0;
  p.settings.stretch = false;
  const SaverRunResult r = Run(p, 3000);
  const auto loads = r.Details("load");
  ASSERT_GE(loads.size(), 30u);
  for (size_t i = 1; i < loads.size(); ++i) ASSERT_NE(loads[i], loads[i - 1]) << i;
  for (const std::string& pic : pictures) EXPECT_NE(std::find(loads.begin(), loads.end(), pic), loads.end());
}

TEST_F(SaverWindow, BrokenPictureInTheMiddleIsPassedOverAndTheShowGoesOn) {
  const std::string a = Picture("a.bmp", 8, 8, kRed), bad = Broken("bad.jpg"), c = Picture("c.bmp", 8, 8, kGreen);
  SaverProject p = Project({a, bad, c});
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  const SaverRunResult r = Run(p, 5500);
  const auto loads = r.Details("load");
  ASSERT_GE(loads.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(loads.begin(), loads.begin() + 4), (std::vector<std::string>{a, c, a, c}));
  // The failed change is retried by the very next step, not one display time later.
  const auto ticks = r.Ticks("load");
  EXPECT_LT(ticks[1] - ticks[0], 1000u + 200u);
  EXPECT_EQ(r.Details("close-query"), std::vector<std::string>{"allowed"});
}

TEST_F(SaverWindow, AllBrokenListStaysBlackPacedAndEndsOnInput) {
  SaverProject p = Project({Broken("x.bmp"), Broken("y.gif")});
  p.settings.displayTime = 0;
  const SaverRunResult r = Run(p, 60000, "at 2000 click left\n");
  EXPECT_TRUE(r.Details("load").empty());
  EXPECT_TRUE(FramesOf(r, "window").empty());
  EXPECT_EQ(r.Details("close-request"), std::vector<std::string>{"mouse-down"});
  EXPECT_GE(r.endTick, 2000u);
  EXPECT_LT(r.endTick, 2100u);
  // Every loop step took a frame period.
  EXPECT_LE(r.pumps, int(r.endTick / 33) + 2);
}

TEST_F(SaverWindow, EmptyListShowsTheErrorKeepsTheCursorAndStillPaces) {
  SaverProject p = Project({Picture("a.bmp", 8, 8, kRed)});
  p.selected = {"FALSE"};
  const SaverRunResult r = Run(p, 60000, "at 1500 key x\n");
  EXPECT_EQ(r.Details("message"), std::vector<std::string>{"error Unable to run screensaver.\\r\\nPlease configure!"});
  EXPECT_TRUE(r.Details("cursor").size() <= 1u);  // only the show call of the close
  EXPECT_TRUE(r.Details("load").empty());
  EXPECT_EQ(r.Details("close-request"), std::vector<std::string>{"key"});
  EXPECT_GE(r.endTick, 1500u);
  EXPECT_LE(r.pumps, int(r.endTick / 33) + 2);
}

TEST_F(SaverWindow, MouseJitterNeverEndsTheRunButAJumpOfThreeDoesAfterTheGraceCount) {
  SaverProject p = Project({Picture("a.bmp", 8, 8, kRed)});
  const std::string script =
      "at 100 move 0 0\nat 110 move 900 900\nat 120 move 10 10\nat 130 move 500 0\nat 140 move 0 500\n"
      "at 200 move 400 400\n"  // the first counted move sets the reference
      "at 300 move 402 401\nat 400 move 400 399\nat 500 move 402 398\nat 600 move 401 400\n"
      "at 1000 move 404 400\n";
  const SaverRunResult r = Run(p, 5000, script);
  ASSERT_EQ(r.Details("close-request"), std::vector<std::string>{"mouse-move"});
  const uint32_t at = r.Ticks("close-request").front();
  EXPECT_GE(at, 1000u);
  EXPECT_LT(at, 1100u);
}

TEST_F(SaverWindow, F1TwiceResetsTheOutputOnceAndKeysWithoutCharactersNeverEndTheRun) {
  SaverProject p = Project({Picture("a.bmp", 8, 8, kRed)});
  const std::string script =
      "at 100 keycode F1\nat 200 keycode F1\nat 300 keycode F1\n"
      "at 400 keycode Left\nat 450 keycode Right\nat 500 keycode Up\nat 550 keycode Down\n"
      "at 600 keycode Shift\nat 650 keycode Ctrl\n"
      "at 2000 key space\n";
  const SaverRunResult r = Run(p, 5000, script);
  EXPECT_EQ(r.Ticks("reset-output").size(), 1u);
  ASSERT_EQ(r.Details("close-request"), std::vector<std::string>{"key"});
  EXPECT_GE(r.Ticks("close-request").front(), 2000u);
}

TEST_F(SaverWindow, StretchProportionalCentresAWidePictureOnPresentedPixels) {
  SaverProject p = Project({Picture("wide.bmp", 4000, 1000, kBlue)});
  p.settings.stretch = true;
  p.settings.proportional = true;
  const std::filesystem::path framesDir = dir_ / "frames";
  std::filesystem::create_directories(framesDir);
  const SaverRunResult r = Run(p, 200, {}, {{"TIDEPOOL_FRAMES_DIR", framesDir.string()}});
  const auto windows = FramesOf(r, "window");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0]->x, 0);
  EXPECT_EQ(windows[0]->y, 352);
  EXPECT_EQ(windows[0]->w, 1280);
  EXPECT_EQ(windows[0]->h, 320);

  std::vector<std::filesystem::path> pngs;
  for (const auto& e : std::filesystem::directory_iterator(framesDir)) pngs.push_back(e.path());
  ASSERT_FALSE(pngs.empty());
  std::sort(pngs.begin(), pngs.end());
  std::string bytes;
  ASSERT_TRUE(ReadFile(pngs.front().string(), bytes));
  const Bitmap32 screen = DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  ASSERT_EQ(screen.width(), 1280);
  ASSERT_EQ(screen.height(), 1024);
  auto rgb = [](Pixel px) { return px & 0xFFFFFFu; };
  EXPECT_EQ(rgb(screen.at(640, 351)), 0u);
  EXPECT_EQ(rgb(screen.at(640, 352)), rgb(kBlue));
  EXPECT_EQ(rgb(screen.at(0, 671)), rgb(kBlue));
  EXPECT_EQ(rgb(screen.at(1279, 500)), rgb(kBlue));
  EXPECT_EQ(rgb(screen.at(640, 672)), 0u);
}

TEST_F(SaverWindow, OriginalSizeLargerThanTheScreenIsCutEquallyOnBothSides) {
  SaverProject p = Project({Picture("big.bmp", 1381, 1024, kRed)});
  p.settings.stretch = false;
  const SaverRunResult r = Run(p, 200);
  const auto windows = FramesOf(r, "window");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0]->x, -50);
  EXPECT_EQ(windows[0]->y, 0);
}

TEST_F(SaverWindow, ScaledPathPreparesTheWorkingResolutionAndFallsBackToWindowDrawing) {
  SaverProject p = Project({Picture("a.bmp", 300, 200, kRed)});
  p.settings.directX = true;
  p.settings.directXQuality = 2;
  p.settings.stretch = false;
  const SaverRunResult scaled = Run(p, 200);
  EXPECT_EQ(scaled.Details("drawing-path"), std::vector<std::string>{"scaled"});
  auto frames = FramesOf(scaled, "scaled");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->w, 640);
  EXPECT_EQ(frames[0]->h, 480);

  p.settings.directXQuality = 9;  // out of range: the middle level
  const SaverRunResult middle = Run(p, 200);  // frames point into the result: keep it alive
  frames = FramesOf(middle, "scaled");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->w, 800);

  p.settings.stretch = true;
  p.settings.proportional = false;
  const SaverRunResult fallback = Run(p, 200, {}, {{"TIDEPOOL_SCALED", "fail"}});
  EXPECT_EQ(fallback.Details("drawing-path"), std::vector<std::string>{"window"});
  const auto windows = FramesOf(fallback, "window");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0]->w, 1280);
  EXPECT_EQ(windows[0]->h, 1024);
}

}  // namespace
}  // namespace tp::test
