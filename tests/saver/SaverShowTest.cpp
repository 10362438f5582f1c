// The show with transitions and packaged pictures, run in-process on the headless backend.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#include "imaging/ImageWriter.h"
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
                       bool water = true, const std::function<void(TProject&)>& more = {}) {
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
    if (more) more(p);
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

TEST_F(SaverShow, OnAScreenWithARefreshRateFramesGoUpOncePerRefreshAndTransitionsKeepTheirTime) {
  SaverProject p = Project({Picture("a.bmp", 64, 48, kRed), Picture("b.bmp", 64, 48, kBlue)});
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  p.settings.transition = true;
  p.settings.transitionTime = 2000;
  const SaverRunResult r = Run(p, 3000, {}, {{"TIDEPOOL_REFRESH_HZ", "60"}, {"TIDEPOOL_SCREEN", "320x240"}});
  EXPECT_EQ(r.Details("display")[0], "open 320x240");
  EXPECT_EQ(r.Details("display")[1], "refresh 60.00");
  // The first frame waits for its refresh and shows in it (10 ms): 2000 / (17 + 1).
  ASSERT_GE(r.Ticks("transition").size(), 1u);
  EXPECT_EQ(r.Details("transition")[0].substr(r.Details("transition")[0].find(' ')), " steps=111");
  const uint32_t started = r.Ticks("transition")[0];
  // Its event follows the progress-0 frame once that is on the screen.
  const auto frames = Between(r, started - 17, r.endTick);
  ASSERT_GE(frames.size(), 113u);  // progress 0, 111 steps, the new picture itself
  EXPECT_EQ(frames[0]->tick, started - 17);
  for (size_t i = 1; i < 112; ++i) EXPECT_GE(frames[i]->tick - frames[i - 1]->tick, 16u) << i;
  // 112 refreshes of 16.667 ms: the transition's time, not six times it.
  EXPECT_GE(frames[111]->tick - frames[0]->tick, 1840u);
  EXPECT_LE(frames[111]->tick - frames[0]->tick, 1870u);

  // An absurd rate is held to 1000 Hz; a frame costing 10 ms is then the limit, as before.
  const SaverRunResult fast = Run(p, 3000, {}, {{"TIDEPOOL_REFRESH_HZ", "100000"}, {"TIDEPOOL_SCREEN", "320x240"}});
  EXPECT_EQ(fast.Details("display")[1], "refresh 1000.00");
  ASSERT_GE(fast.Details("transition").size(), 1u);
  EXPECT_EQ(fast.Details("transition")[0].substr(fast.Details("transition")[0].find(' ')), " steps=181");
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

TEST_F(SaverShow, SoundSlotsAfterAnEmptyOneAreNotPlayed) {
  // A short mono 8-bit wave file.
  auto wave = [&](const std::string& name) {
    const std::string path = (dir_ / name).string();
    std::string data(800, char(128));
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    std::ofstream(path, std::ios::binary) << "RIFF" << u32(36 + uint32_t(data.size())) << "WAVEfmt " << u32(16)
                                          << u16(1) << u16(1) << u32(8000) << u32(8000) << u16(1) << u16(8)
                                          << "data" << u32(uint32_t(data.size())) << data;
    return path;
  };
  const std::string a = wave("a.wav"), b = wave("b.wav");
  SaverProject p = Project({Packaged("sounds.mpp", 64, 48, {}, true, [&](TProject& pic) {
    pic.soundSlots[0] = TSoundSlot{a, 0, 0, 0};
    pic.soundSlots[2] = TSoundSlot{b, 0, 0, 0};
  })});
  p.settings.sound = true;
  const SaverRunResult r = Run(p, 500);
  const std::vector<std::string> sounds = r.Details("sound");
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), "load slot=0 " + a), sounds.end());
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), "play slot=0 loop=1 " + a), sounds.end());
  for (const std::string& s : sounds) EXPECT_EQ(s.find("b.wav"), std::string::npos) << s;
}

TEST_F(SaverShow, MovingObjectsGiveTheSameFramesOnEveryRun) {
  Bitmap32 sprite(10, 6);
  sprite.Fill(MakePixel(250, 220, 0, 255));
  const std::string spritePath = (dir_ / "sprite.bmp").string();
  WriteBmpFile(sprite, spritePath);
  SaverProject p = Project({Packaged("lively.mpp", 160, 120, TWeatherParam{kWeatherSnow, 100, 10, 0, 0, 0}, true,
                                     [&](TProject& pic) {
                                       pic.animationText =
                                           "[Obj0]\r\nObjType=IMG\r\nFilename=" + spritePath +
                                           "\r\nMotion=1\r\nPosLeftType=4\r\nPosTopType=4\r\n"
                                           "[Obj1]\r\nObjType=IMG\r\nFilename=" + spritePath +
                                           "\r\nMotion=9\r\nMotionSpeed=40\r\n";
                                     })});
  p.settings.stretch = false;
  const SaverRunResult first = Run(p, 2000);
  ASSERT_GE(first.frames.size(), 40u);
  std::set<std::string> hashes;
  for (const FrameLine& f : first.frames) hashes.insert(f.hash);
  EXPECT_GT(hashes.size(), first.frames.size() / 2);
  for (int run = 0; run < 2; ++run) {
    const SaverRunResult again = Run(p, 2000);
    ASSERT_EQ(again.frames.size(), first.frames.size());
    for (size_t i = 0; i < first.frames.size(); ++i) {
      EXPECT_EQ(again.frames[i].tick, first.frames[i].tick) << i;
      ASSERT_EQ(again.frames[i].hash, first.frames[i].hash) << "run " << run + 2 << " frame " << i;
    }
  }
}

}  // namespace
}  // namespace tp::test
