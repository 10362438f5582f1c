// Portrait pairs in the real player's folder show on the headless backend: two portraits
// that come next share a landscape screen and both count as shown; a portrait before a
// landscape picture, or the last of a pass, is shown alone and the landscape one next;
// pairs off and a portrait screen show every picture alone; a picture of a pair that does
// not decode is skipped and the other shown alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"
#include "imaging/import/ImageLoader.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

constexpr Pixel kRed = MakePixel(220, 30, 30, 0xFF), kGreen = MakePixel(30, 200, 30, 0xFF),
                kBlue = MakePixel(30, 30, 220, 0xFF), kYellow = MakePixel(220, 220, 30, 0xFF),
                kWhite = MakePixel(230, 230, 230, 0xFF);

Bitmap32 Solid(int w, int h, Pixel colour) {
  Bitmap32 b(w, h);
  b.Fill(colour);
  return b;
}

bool Near(Pixel a, Pixel b) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 12) return false;
  return true;
}

class PhotoPairShow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"Pictures", ".config", ".config/tidepool", ".cache"}) ::mkdir((home / d).c_str(), 0755);
    // Changes without a transition: every still picture is one frame, after a black one.
    ASSERT_TRUE(WriteFile(home / ".config/tidepool/pictures.ini", "[Show]\nTransitionTime=0\n"));
  }
  void Add(const std::string& name, const Bitmap32& picture) {
    const std::vector<uint8_t> bytes = name.ends_with(".png") ? EncodePng(picture) : EncodeJpeg(picture, 95);
    ASSERT_TRUE(WriteFile(home / "Pictures/" + name, std::string(bytes.begin(), bytes.end())));
  }
  // Portraits a, c, d, e (d taller), b landscape.
  void AddFive() {
    Add("a.jpg", Solid(60, 80, kRed));
    Add("b.jpg", Solid(200, 100, kGreen));
    Add("c.jpg", Solid(60, 80, kBlue));
    Add("d.jpg", Solid(60, 90, kYellow));
    Add("e.jpg", Solid(50, 80, kWhite));
  }
  RunResult Run(std::vector<std::string> args, unsigned runMs, bool realClock = false) {
    RunOptions o;
    o.tmpDir = tmp.path();
    o.runMs = runMs;
    o.env["HOME"] = home.path();
    o.env["XDG_CONFIG_HOME"] = home / ".config";
    o.env["XDG_CACHE_HOME"] = home / ".cache";
    o.env["TIDEPOOL_SCREEN"] = screen;
    o.env["TIDEPOOL_AUDIO"] = "none";
    if (realClock) o.env["TIDEPOOL_REAL_CLOCK"] = "1";
    if (!framesDir.empty()) o.env["TIDEPOOL_FRAMES_DIR"] = framesDir;
    for (const auto& [k, v] : extraEnv) o.env[k] = v;
    args.insert(args.begin(), {"--pictures", home / "Pictures"});
    return RunHeadless(PlayerPath(), args, o);
  }
  // A show of the date order, on the real clock, so that the index knows every picture's
  // size (the header pass) before the show under test, in name order, starts.
  void Index() {
    const RunResult r = Run({"--order", "date", "--duration", "1"}, 1500, true);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  }
  RunResult Show(std::vector<std::string> more = {}, unsigned runMs = 4500) {
    std::vector<std::string> args{"--order", "name", "--duration", "1", "--motion", "off", "--fill", "bars"};
    args.insert(args.end(), more.begin(), more.end());
    return Run(args, runMs);
  }
  // The pictures of each change, in order: those loaded at the same time joined by "+".
  static std::vector<std::string> Showings(const RunResult& r) {
    std::vector<std::string> out;
    std::string lastTime;
    for (const std::string& line : r.events) {
      const size_t a = line.find(' ');
      if (line.compare(a + 1, 5, "load ") != 0) continue;
      const std::string time = line.substr(0, a), name = line.substr(line.rfind('/') + 1);
      if (time == lastTime && !out.empty()) out.back() += "+" + name;
      else out.push_back(name);
      lastTime = time;
    }
    return out;
  }
  struct Frame {
    size_t index;                    // its number among the frames (the dump's name)
    std::vector<std::string> views;  // "X Y W H SX SY SW SH"
  };
  static std::vector<Frame> Frames(const RunResult& r) {
    std::vector<Frame> out;
    for (const std::string& line : r.frames) {
      const size_t a = line.find(' ');
      if (line.compare(a + 1, 5, "view ") != 0) {
        out.push_back({out.size(), {}});
      } else if (!out.empty()) {
        const std::string v = line.substr(a + 6);
        out.back().views.push_back(v.substr(0, v.rfind(' ')));
      }
    }
    return out;
  }
  static std::vector<std::string> Deals(const RunResult& r) { return r.EventsOf("deck"); }

  std::string screen = "320x180";  // halves of 158 with a gap of 4 (3 and the odd pixel)
  std::string framesDir;
  std::map<std::string, std::string> extraEnv;
  TempDir home;
  TempDir tmp;
};

TEST_F(PhotoPairShow, TwoPortraitsShareTheScreenAndOthersAreShownAloneWithNoneLost) {
  AddFive();
  Index();
  framesDir = home / "frames";
  ::mkdir(framesDir.c_str(), 0755);
  const RunResult r = Show();
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  // a before the landscape b: alone, b next; c and d together; e, the pass's last, alone.
  const std::vector<std::string> showings = Showings(r);
  ASSERT_GE(showings.size(), 5u) << testing::PrintToString(showings);
  EXPECT_EQ(std::vector<std::string>(showings.begin(), showings.begin() + 5),
            (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg+d.jpg", "e.jpg", "a.jpg"}));
  // Every picture of the pass dealt once, the pair's two as well.
  const std::vector<std::string> deals = Deals(r);
  ASSERT_GE(deals.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(deals[size_t(i)], "pass=1 position=" + std::to_string(i + 1) + " of=5");
  EXPECT_EQ(deals[5], "pass=2 position=1 of=5");

  // Alone, 60 x 80 fits the screen as 135 x 180 in the middle; paired, each fits its half.
  const std::vector<std::string> alone{"92 0 135 180 0.00 0.00 60.00 80.00"};
  const std::vector<std::string> pair{"11 0 135 180 0.00 0.00 60.00 80.00", "181 0 120 180 0.00 0.00 60.00 90.00"};
  const std::vector<Frame> frames = Frames(r);
  const Frame* pairFrame = nullptr;
  int aloneFrames = 0;
  for (const Frame& f : frames) {
    if (f.views == pair) pairFrame = &f;
    if (f.views == alone) ++aloneFrames;
    EXPECT_LE(f.views.size(), 2u);
  }
  EXPECT_EQ(aloneFrames, 2);  // a, then a again in the next pass
  ASSERT_NE(pairFrame, nullptr);
  char name[16];
  std::snprintf(name, sizeof name, "/%06zu.png", pairFrame->index);
  const Bitmap32 shown = LoadImageFile(framesDir + name);
  ASSERT_EQ(shown.width(), 320);
  ASSERT_EQ(shown.height(), 180);
  for (int y : {2, 90, 177}) {
    EXPECT_TRUE(Near(shown.at(78, y), kBlue)) << y;
    EXPECT_TRUE(Near(shown.at(241, y), kYellow)) << y;
    for (int x : {5, 158, 160, 161, 310}) EXPECT_EQ(shown.at(x, y) & 0xFFFFFFu, 0u) << x << "," << y;
  }
}

TEST_F(PhotoPairShow, PairsOffAndAPortraitScreenShowEveryPictureAlone) {
  AddFive();
  for (const auto& [setting, size] : {std::pair{"off", "320x180"}, std::pair{"on", "180x320"}}) {
    SCOPED_TRACE(std::string(setting) + " " + size);
    std::filesystem::remove_all(home / ".cache");
    ::mkdir((home / ".cache").c_str(), 0755);
    screen = size;
    Index();
    const RunResult r = Show({"--pairs", setting}, 5500);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    const std::vector<std::string> showings = Showings(r);
    ASSERT_GE(showings.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(showings.begin(), showings.begin() + 5),
              (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}));
    for (const Frame& f : Frames(r)) EXPECT_LE(f.views.size(), 1u);
  }
  // The settings file's key turns them off too; a value that is neither on nor off is refused.
  ASSERT_TRUE(WriteFile(home / ".config/tidepool/pictures.ini", "[Show]\nTransitionTime=0\nPairs=0\n"));
  screen = "320x180";
  std::filesystem::remove_all(home / ".cache");
  ::mkdir((home / ".cache").c_str(), 0755);
  Index();
  const RunResult fromFile = Show({}, 3500);
  for (const std::string& s : Showings(fromFile)) EXPECT_EQ(s.find('+'), std::string::npos) << s;
  // The settings dialog's checkbox, on by default, clicked off and written.
  ASSERT_TRUE(WriteFile(home / ".config/tidepool/pictures.ini", "[Show]\nTransitionTime=0\n"));
  std::ofstream(home / "script.txt") << "at 200 click-on pairs\nat 400 click-on okButton\n";
  RunOptions o;
  o.runMs = 3000;
  o.env = {{"HOME", home.path()}, {"XDG_CONFIG_HOME", home / ".config"}, {"TIDEPOOL_AUDIO", "none"},
           {"TIDEPOOL_SCRIPT", home / "script.txt"}};
  const RunResult dialog = RunHeadless(PlayerPath(), {"--pictures", "/c"}, o);
  ASSERT_EQ(dialog.exitCode, 0) << dialog.stderrText;
  std::string ini;
  ASSERT_TRUE(ReadFile(home / ".config/tidepool/pictures.ini", ini));
  EXPECT_NE(ini.find("Pairs=0"), std::string::npos) << ini;
  const RunResult bad = Run({"--pairs", "maybe"}, 1000);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.stderrText.find("--pairs"), std::string::npos) << bad.stderrText;
  EXPECT_TRUE(bad.EventsOf("display").empty());
}

TEST_F(PhotoPairShow, APictureOfAPairThatFailsIsSkippedAndAbsurdSizesPairSafely) {
  // a: 1 x 20000 beside b; c says it is a 60 x 80 portrait but ends within its header, so
  // d shows alone; e: 1 x 1, no portrait.
  Add("a.png", Solid(1, 20000, kRed));
  Add("b.jpg", Solid(60, 80, kGreen));
  const std::vector<uint8_t> png = EncodePng(Solid(60, 80, kBlue));
  ASSERT_TRUE(WriteFile(home / "Pictures/c.png", std::string(png.begin(), png.begin() + 60)));
  Add("d.jpg", Solid(60, 80, kYellow));
  Add("e.png", Solid(1, 1, kWhite));
  Index();
  const RunResult r = Show({}, 3500);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  const std::vector<std::string> showings = Showings(r);
  ASSERT_GE(showings.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(showings.begin(), showings.begin() + 3),
            (std::vector<std::string>{"a.png+b.jpg", "d.jpg", "e.png"}));
  const std::vector<std::string> skips = r.EventsOf("skip");
  ASSERT_EQ(skips.size(), 1u);
  EXPECT_EQ(skips[0].rfind(home / "Pictures/c.png ", 0), 0u) << skips[0];
  // The four that show dealt once each; c is out of this pass (the deck counts it as dealt).
  const std::vector<std::string> deals = Deals(r);
  ASSERT_GE(deals.size(), 4u);
  EXPECT_EQ(std::count_if(deals.begin(), deals.end(), [](const std::string& d) { return d.rfind("pass=1 ", 0) == 0; }), 4);
  EXPECT_EQ(deals[3], "pass=1 position=5 of=5");
  bool tallPaired = false, dAlone = false;
  for (const Frame& f : Frames(r)) {
    if (f.views.size() == 2 && f.views[0] == "78 0 1 180 0.00 0.00 1.00 20000.00") tallPaired = true;
    if (f.views == std::vector<std::string>{"92 0 135 180 0.00 0.00 60.00 80.00"}) dAlone = true;
  }
  EXPECT_TRUE(tallPaired);
  EXPECT_TRUE(dAlone);
}

TEST_F(PhotoPairShow, EachPictureOfAPairHasItsCaptionUnderItsHalf) {
  for (const char* folder : {"Beach", "Snow"}) {
    ::mkdir((home / "Pictures/" + folder).c_str(), 0755);
    const std::string file = std::string(folder) + "/p.jpg";
    Add(file, Solid(60, 80, MakePixel(128, 128, 128, 0xFF)));
    const struct timeval taken[2] = {{1623715200, 0}, {1623715200, 0}};  // 2021-06-15 UTC
    ASSERT_EQ(::utimes((home / "Pictures/" + file).c_str(), taken), 0);
  }
  Index();
  framesDir = home / "frames";
  extraEnv = {{"TZ", "UTC"}, {"LC_ALL", "C"}};
  // The last frame of the pair's first second, with and without its captions.
  auto lastFrame = [&](const std::string& captions, RunResult& r) {
    std::filesystem::remove_all(framesDir);
    ::mkdir(framesDir.c_str(), 0755);
    r = Show({"--duration", "5", "--captions", captions}, 1000);
    std::vector<std::string> dumps;
    for (const auto& e : std::filesystem::directory_iterator(framesDir)) dumps.push_back(e.path().string());
    std::sort(dumps.begin(), dumps.end());
    return dumps.empty() ? Bitmap32() : LoadImageFile(dumps.back());
  };
  RunResult plainRun, captionRun;
  const Bitmap32 plain = lastFrame("off", plainRun);
  std::filesystem::remove_all(home / ".cache");  // the same pair again, from a new index
  ::mkdir((home / ".cache").c_str(), 0755);
  Index();
  const Bitmap32 captioned = lastFrame("date+folder", captionRun);
  ASSERT_EQ(Showings(plainRun), std::vector<std::string>{"p.jpg+p.jpg"});
  EXPECT_EQ(captionRun.EventsOf("caption"), (std::vector<std::string>{"06/15/21 \u00B7 Beach", "06/15/21 \u00B7 Snow"}));
  ASSERT_EQ(plain.width(), 320);
  ASSERT_EQ(captioned.width(), 320);
  // Written along the bottom of each half (never across the gap), and nowhere else.
  int left = 0, right = 0, elsewhere = 0;
  for (int y = 0; y < 180; ++y)
    for (int x = 0; x < 320; ++x) {
      if ((plain.at(x, y) & 0xFFFFFFu) == (captioned.at(x, y) & 0xFFFFFFu)) continue;
      if (y >= 135 && x < 158) ++left;
      else if (y >= 135 && x >= 162) ++right;
      else ++elsewhere;
    }
  EXPECT_GT(left, 40);
  EXPECT_GT(right, 40);
  EXPECT_EQ(elsewhere, 0);
}

}  // namespace
}  // namespace tp::test
