// The show with transitions and packaged pictures, run in-process on the headless backend.
#include <gtest/gtest.h>

#include <set>

#include "platform/headless/FrameHash.h"
#include "project/PackagedPicture.h"
#include "project/PackagedPictureWriter.h"
#include "saver/SaverRunFixture.h"

namespace tp::test {
namespace {

constexpr Pixel kRed = MakePixel(220, 20, 20, 255);
constexpr Pixel kBlue = MakePixel(20, 20, 220, 255);

class SaverShow : public SaverRunTest {
 protected:
  // A packaged picture with a stripe pattern whose lower half is water of area 1 (or
  // without water).
  std::string Packaged(const std::string& name, int w, int h, const TWeatherParam& weather = {},
                       bool water = true) {
    TProject p;
    p.picture.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        p.picture.at(x, y) = (y / 4) % 2 ? MakePixel(250, 250, 250, 255) : MakePixel(10, 60, 120, 255);
    p.areaMask.SetSize(w, h);
    p.areaMask.Fill(kAreaMaskColors[0]);
    for (int y = water ? h / 2 : h; y < h; ++y)
      for (int x = 0; x < w; ++x) p.areaMask.at(x, y) = kAreaMaskColors[1];
    p.wave(0).Amplitude = 6;
    p.weather = weather;
    const std::string path = (dir_ / name).string();
    SavePackagedPicture(p, path, 95);
    return path;
  }

  static std::vector<const FrameLine*> Between(const SaverRunResult& r, uint32_t from, uint32_t to) {
    std::vector<const FrameLine*> out;
    for (const FrameLine& f : r.frames)
      if (f.tick >= from && f.tick < to) out.push_back(&f);
    return out;
  }
};

TEST_F(SaverShow, TransitionUncoversTheNewPictureWithAnAllowedEffect) {
  SaverProject p = Project({Picture("a.bmp", 64, 48, kRed), Picture("b.bmp", 64, 48, kBlue)});
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  p.settings.transition = true;
  p.settings.transitionTime = 500;
  p.settings.transitionEffects = "7, \"12\" 999 x";
  const SaverRunResult r = Run(p, 4500);

  const auto transitions = r.Details("transition");
  ASSERT_GE(transitions.size(), 2u);
  for (const std::string& t : transitions) {
    // Each frame costs 10 ms of virtual time, the first one 11 ms with its extra
    // millisecond: 500 / 11 steps.
    EXPECT_TRUE(t == "effect=7 steps=45" || t == "effect=12 steps=45") << t;
  }
  EXPECT_TRUE(r.Details("black").empty());

  // Between the second and third loads: the first transition's frames over the whole
  // screen (progress 0 and 45 more), the last one showing exactly the new picture centred
  // with its proportions; then the picture itself is drawn once.
  const auto loads = r.Ticks("load");
  ASSERT_GE(loads.size(), 3u);
  std::vector<const FrameLine*> whole, picture;
  for (const FrameLine* f : Between(r, loads[1], loads[2]))
    (f->h == 1024 ? whole : picture).push_back(f);
  ASSERT_EQ(whole.size(), 46u);
  ASSERT_EQ(picture.size(), 1u);
  EXPECT_EQ(picture[0]->y, 32);
  EXPECT_GT(picture[0]->tick, whole.back()->tick);
  Bitmap32 expected(1280, 1024);
  expected.Fill(0);
  for (int y = 32; y < 992; ++y)
    for (int x = 0; x < 1280; ++x) expected.at(x, y) = kBlue;
  EXPECT_EQ(whole.back()->hash, HashHex(FrameHash(expected)));
  EXPECT_NE(whole.front()->hash, whole.back()->hash);

  // The display time is counted from the end of the transition.
  EXPECT_GE(loads[2] - whole.back()->tick, 1000u);
}

TEST_F(SaverShow, PackagedPictureRipplesFrameByFrame) {
  SaverProject p = Project({Packaged("lake.mpp", 160, 120)});
  p.settings.stretch = false;
  const SaverRunResult r = Run(p, 1000);
  EXPECT_EQ(r.Details("load"), std::vector<std::string>{p.pictures[0]});
  ASSERT_GE(r.frames.size(), 20u);
  std::set<std::string> hashes;
  for (const FrameLine& f : r.frames) {
    EXPECT_EQ(f.path, "window");
    EXPECT_EQ(f.x, (1280 - 160) / 2);
    EXPECT_EQ(f.y, (1024 - 120) / 2);
    EXPECT_EQ(f.w, 160);
    hashes.insert(f.hash);
  }
  // The water moves: most frames differ from each other.
  EXPECT_GT(hashes.size(), r.frames.size() / 2);
}

TEST_F(SaverShow, StretchedPackagedPictureIsScaledToTheScreenWithItsProportions) {
  SaverProject p = Project({Packaged("lake.mpp", 160, 100)});
  p.settings.stretch = true;
  p.settings.proportional = true;
  const SaverRunResult r = Run(p, 300);
  ASSERT_FALSE(r.frames.empty());
  EXPECT_EQ(r.frames[0].w, 1280);
  EXPECT_EQ(r.frames[0].h, 800);
  EXPECT_EQ(r.frames[0].y, 112);
}

TEST_F(SaverShow, MissingAndDamagedPackagedPicturesNeverStopTheShow) {
  const std::string good = Packaged("good.mpp", 80, 60);
  const std::string missing = (dir_ / "gone.mpp").string();
  const std::string damaged = Broken("bad.mpp");
  SaverProject p = Project({good, missing, damaged});
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  p.settings.transition = true;
  p.settings.transitionTime = 200;
  const SaverRunResult r = Run(p, 4500);
  const auto loads = r.Details("load");
  // The missing file is never loaded; the damaged one loads as an empty picture.
  for (const std::string& l : loads) EXPECT_NE(l, missing);
  EXPECT_NE(std::find(loads.begin(), loads.end(), damaged), loads.end());
  EXPECT_GE(std::count(loads.begin(), loads.end(), good), 2);
  EXPECT_EQ(r.Details("close-request"), std::vector<std::string>{"system"});
}

TEST_F(SaverShow, SnowFallsOverAPackagedPictureWithoutWater) {
  auto distinctFrames = [](const SaverRunResult& r) {
    std::set<std::string> hashes;
    for (const FrameLine& f : r.frames) hashes.insert(f.hash);
    return hashes.size();
  };
  SaverProject still = Project({Packaged("still.mpp", 120, 90, {}, false)});
  still.settings.stretch = false;
  const SaverRunResult calm = Run(still, 600);
  ASSERT_GE(calm.frames.size(), 10u);
  EXPECT_EQ(distinctFrames(calm), 1u);

  SaverProject snowy = Project({Packaged("snow.mpp", 120, 90, TWeatherParam{kWeatherSnow, 200, 10, 0, 0, 0}, false)});
  snowy.settings.stretch = false;
  const SaverRunResult snow = Run(snowy, 600);
  ASSERT_GE(snow.frames.size(), 10u);
  EXPECT_GT(distinctFrames(snow), snow.frames.size() / 2);
}

TEST_F(SaverShow, F1ResetsThePackagedPictureOutput) {
  SaverProject p = Project({Packaged("lake.mpp", 64, 48)});
  const SaverRunResult r = Run(p, 2000, "at 300 keycode F1\nat 600 keycode F1\nat 900 keycode F1\nat 1200 keycode F1\n");
  EXPECT_EQ(r.Details("reset-output").size(), 2u);
  EXPECT_TRUE(r.Details("close-request") == std::vector<std::string>{"system"});
}

TEST_F(SaverShow, AKeyDuringATransitionEndsTheShowOnceTheTransitionIsOver) {
  SaverProject p = Project({Picture("a.bmp", 64, 48, kRed), Picture("b.bmp", 64, 48, kBlue)});
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  p.settings.transition = true;
  p.settings.transitionTime = 2000;
  const SaverRunResult r = Run(p, 10000, "at 1500 key x\n");
  ASSERT_EQ(r.Ticks("transition").size(), 1u);
  const uint32_t started = r.Ticks("transition")[0];
  ASSERT_LT(started, 1500u);
  // The key is seen while the transition pumps its messages; the close waits for its end:
  // 2000 / 11 = 181 steps of 10 ms after the first frame.
  ASSERT_EQ(r.Details("close-request"), std::vector<std::string>{"key"});
  EXPECT_GE(r.Ticks("close-request")[0], 1500u);
  EXPECT_LT(r.Ticks("close-request")[0], 1600u);
  EXPECT_GE(r.Ticks("close-query")[0], started + 1810u);
  EXPECT_EQ(r.Details("transition")[0].substr(r.Details("transition")[0].find(' ')), " steps=181");
}

TEST_F(SaverShow, AMissingPackagedPictureAfterPlainOnesShowsBlackAndThePlainOneComesBack) {
  for (bool transition : {false, true}) {
    SaverProject p = Project({Picture("a.bmp", 64, 48, kRed), (dir_ / "gone.mpp").string()});
    p.settings.orderMode = 1;
    p.settings.displayTime = 1;
    p.settings.transition = transition;
    p.settings.transitionTime = 300;
    const SaverRunResult r = Run(p, 3600);
    EXPECT_EQ(r.Details("load"), std::vector<std::string>{p.pictures[0]}) << transition;
    // a.bmp at 0, the missing picture from about 1 s (black), a.bmp again from about 2 s.
    std::vector<std::string> kinds;
    for (const FrameLine& f : r.frames)
      if (kinds.empty() || kinds.back() != f.path) kinds.push_back(f.path);
    EXPECT_EQ(kinds, (std::vector<std::string>{"window", "black", "window", "black"})) << transition;
    EXPECT_TRUE(r.Details("transition").empty()) << transition;
  }
}

}  // namespace
}  // namespace tp::test
