// The folder show (--pictures) of the real player on the headless backend: pictures from
// folders on disk, the deck kept across runs, bad files skipped, the settings dialog.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"
#include "imaging/import/ImageLoader.h"
#include "support/SaverRun.h"
#include "support/TestPictures.h"

namespace tp::test {
namespace {

std::string Bare(const std::string& path) { return path.substr(path.rfind('/') + 1); }

class PhotoShow : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir((home / "Pictures").c_str(), 0755);
    ::mkdir((home / ".config").c_str(), 0755);
    ::mkdir((home / ".cache").c_str(), 0755);
  }
  // A JPEG of its own colour, so that every picture is told apart in the frames too.
  void AddJpeg(const std::string& path, uint32_t colour, int w = 64, int h = 48) {
    Bitmap32 b;
    b.SetSize(w, h);
    b.Fill(colour | 0xFF000000u);
    const std::vector<uint8_t> bytes = EncodeJpeg(b, 90);
    ASSERT_TRUE(WriteFile(path, std::string(bytes.begin(), bytes.end())));
  }
  RunResult Run(const std::vector<std::string>& args, unsigned runMs, const std::string& script = {}) {
    RunOptions o;
    o.tmpDir = tmp.path();
    o.runMs = runMs;
    o.env["HOME"] = home.path();
    o.env["XDG_CONFIG_HOME"] = home / ".config";
    o.env["XDG_CACHE_HOME"] = home / ".cache";
    o.env["TIDEPOOL_SCREEN"] = "320x240";
    o.env["TIDEPOOL_AUDIO"] = "none";
    for (const auto& [k, v] : extraEnv) o.env[k] = v;
    if (!script.empty()) {
      std::ofstream(home / "script.txt") << script;
      o.env["TIDEPOOL_SCRIPT"] = home / "script.txt";
    }
    std::vector<std::string> all{"--pictures"};
    all.insert(all.end(), args.begin(), args.end());
    return RunHeadless(PlayerPath(), all, o);
  }
  // The view lines of each frame in turn (without time and hash): two in a transition's.
  static std::vector<std::vector<std::string>> ViewsByFrame(const RunResult& r) {
    std::vector<std::vector<std::string>> byFrame;
    std::string frameKey;
    for (const std::string& line : r.frames) {
      const size_t at = line.find(" view ");
      if (at == std::string::npos) continue;
      const std::string key = line.substr(0, line.find(' ')) + line.substr(line.rfind(' '));
      if (key != frameKey) byFrame.emplace_back();
      frameKey = key;
      byFrame.back().push_back(line.substr(at + 6, line.rfind(' ') - at - 6));
    }
    return byFrame;
  }
  std::vector<std::string> Loads(const RunResult& r) {
    std::vector<std::string> out;
    for (const std::string& p : r.EventsOf("load")) out.push_back(Bare(p));
    return out;
  }
  // The frame log lines of a kind (second word), without the time.
  static std::vector<std::string> FramesOf(const RunResult& r, const std::string& kind) {
    std::vector<std::string> out;
    for (const std::string& line : r.frames) {
      const size_t a = line.find(' '), b = line.find(' ', a + 1);
      if (a != std::string::npos && line.compare(a + 1, b - a - 1, kind) == 0) out.push_back(line.substr(b + 1));
    }
    return out;
  }
  std::map<std::string, std::string> extraEnv;
  TempDir home;
  TempDir tmp;
};

TEST_F(PhotoShow, DealsEveryPictureOnceBeforeAnyRepeatsAcrossRestarts) {
  const std::string folder = home / "Pictures";
  for (int i = 0; i < 6; ++i) AddJpeg(folder + "/p" + std::to_string(i) + ".jpg", 0x101010u * uint32_t(i + 1));
  std::vector<std::string> dealt;
  for (int run = 0; run < 5; ++run) {
    // 1 s pictures, 1.5 s transitions and 3.7 s runs: three pictures a run.
    const RunResult r = Run({"--duration", "1", "--transitions", "fade"}, 3700);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    const std::vector<std::string> loads = Loads(r);
    ASSERT_GE(loads.size(), 3u) << "run " << run;
    dealt.insert(dealt.end(), loads.begin(), loads.end());
    EXPECT_FALSE(r.EventsOf("deck").empty());
    EXPECT_TRUE(tmp.List().empty());
  }
  ASSERT_GE(dealt.size(), 15u);
  // Passes of six: each holds every picture once.
  for (size_t pass = 0; pass + 6 <= dealt.size(); pass += 6) {
    const std::set<std::string> one(dealt.begin() + long(pass), dealt.begin() + long(pass) + 6);
    EXPECT_EQ(one.size(), 6u) << "pass starting at " << pass;
  }
}

TEST_F(PhotoShow, NameOrderGoesOnWhereTheLastShowStopped) {
  const std::string folder = home / "mine";
  ::mkdir(folder.c_str(), 0755);
  const std::vector<std::string> names{"a.jpg", "b.jpg", "c.jpg", "d.jpg"};
  for (const std::string& n : names) AddJpeg(folder + "/" + n, 0x804020u);
  std::vector<std::string> dealt;
  for (int run = 0; run < 4; ++run) {
    const RunResult r = Run({folder, "--order", "name", "--duration", "1", "--transitions", "1"}, 2700);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    const auto loads = Loads(r);
    ASSERT_FALSE(loads.empty());
    dealt.insert(dealt.end(), loads.begin(), loads.end());
  }
  // The very first picture is whichever the first scan finds, the rest of that pass by
  // name; every later pass by name from the start, across the restarts too.
  ASSERT_GE(dealt.size(), 8u) << testing::PrintToString(dealt);
  EXPECT_EQ(std::set<std::string>(dealt.begin(), dealt.begin() + 4).size(), 4u) << testing::PrintToString(dealt);
  std::vector<std::string> restOfFirst(dealt.begin() + 1, dealt.begin() + 4), byName = names;
  byName.erase(std::find(byName.begin(), byName.end(), dealt[0]));
  EXPECT_EQ(restOfFirst, byName) << testing::PrintToString(dealt);
  for (size_t i = 4; i < dealt.size(); ++i) EXPECT_EQ(dealt[i], names[i % 4]) << testing::PrintToString(dealt);
}

TEST_F(PhotoShow, TheContentDecidesAndBrokenFilesAreSkipped) {
  const std::string folder = home / "Pictures";
  // A PNG under a JPEG's name, a file that is no picture, a truncated JPEG, a hidden one.
  const std::vector<uint8_t> png = EncodePng(DetailedPicture(40, 30));
  ASSERT_TRUE(WriteFile(folder + "/really-png.jpg", std::string(png.begin(), png.end())));
  ASSERT_TRUE(WriteFile(folder + "/noise.jpg", std::string(5000, 'x')));
  Bitmap32 b = DetailedPicture(64, 48);
  const std::vector<uint8_t> jpeg = EncodeJpeg(b, 90);
  ASSERT_TRUE(WriteFile(folder + "/cut.jpg", std::string(jpeg.begin(), jpeg.begin() + 100)));
  AddJpeg(folder + "/.hidden.jpg", 0xFF0000u);
  // On the real clock: on the virtual one the show's seconds can pass before the scan,
  // which runs in real time, has written the files after the first.
  extraEnv["TIDEPOOL_REAL_CLOCK"] = "1";
  const RunResult r = Run({"--duration", "1", "--order", "name"}, 2500);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  const auto loads = Loads(r);
  ASSERT_FALSE(loads.empty());
  for (const std::string& l : loads) EXPECT_EQ(l, "really-png.jpg");
  std::set<std::string> skipped;
  for (const std::string& s : r.EventsOf("skip")) skipped.insert(Bare(s.substr(0, s.find(' '))));
  EXPECT_TRUE(skipped.count("noise.jpg")) << "noise.jpg was not reported";
  EXPECT_TRUE(skipped.count("cut.jpg")) << "cut.jpg was not reported";
}

TEST_F(PhotoShow, WithNoPictureTheScreenNamesTheFoldersSearched) {
  const std::string empty = home / "empty";
  ::mkdir(empty.c_str(), 0755);
  const std::string frames = home / "frames";
  ::mkdir(frames.c_str(), 0755);
  const RunResult r = [&] {
    RunOptions ro;
    ro.runMs = 1000;
    ro.tmpDir = tmp.path();
    ro.env = {{"HOME", home.path()}, {"XDG_CACHE_HOME", home / ".cache"}, {"XDG_CONFIG_HOME", home / ".config"},
              {"TIDEPOOL_SCREEN", "640x120"}, {"TIDEPOOL_AUDIO", "none"}, {"TIDEPOOL_FRAMES_DIR", frames}};
    return RunHeadless(PlayerPath(), {"--pictures", empty}, ro);
  }();
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("no-pictures"), std::vector<std::string>{empty});
  EXPECT_TRUE(r.EventsOf("load").empty());
  // The line is drawn in the middle of the screen, and nothing else.
  std::vector<std::string> dumps;
  for (const auto& e : std::filesystem::directory_iterator(frames)) dumps.push_back(e.path().filename().string());
  ASSERT_FALSE(dumps.empty());
  std::sort(dumps.begin(), dumps.end());
  const Bitmap32 shot = LoadImageFile(frames + "/" + dumps.back());
  int lit = 0, litOutside = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      if ((shot.at(x, y) & 0xFFFFFFu) == 0) continue;
      ++lit;
      if (y < 30 || y >= 90) ++litOutside;
    }
  EXPECT_GT(lit, 200) << "no text on the screen";
  EXPECT_EQ(litOutside, 0);
}

TEST_F(PhotoShow, TheDefaultFolderComesFromXscreensaversSettings) {
  const std::string photos = home / "Photos";
  ::mkdir(photos.c_str(), 0755);
  AddJpeg(photos + "/from-xscreensaver.jpg", 0x00FF00u);
  AddJpeg(home / "Pictures/from-pictures.jpg", 0x0000FFu);
  ASSERT_TRUE(WriteFile(home / ".xscreensaver", "timeout: 0:10:00\nimageDirectory:\t~/Photos\nmode: one\n"));
  const RunResult r = Run({}, 1000);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(Loads(r), std::vector<std::string>{"from-xscreensaver.jpg"});
}

TEST_F(PhotoShow, OptionsThatCannotBeReadEndBeforeAnyWindow) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--order", "sideways"}, {"--duration", "0"}, {"--duration", "ten"},
        {"--transitions", "fancy"}, {"--fill", "stretch"}, {"--crop-limit", "51"}, {"--crop-limit", "-1"},
        {"--crop-limit", "ten"}, {"--motion", "wild"}, {"--fps", "0"}, {"--fps", "1000"}, {"--captions", "time"}}) {
    const RunResult r = Run(args, 1000);
    EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args[1];
    EXPECT_NE(r.stderrText.find(args[0]), std::string::npos) << r.stderrText;
    EXPECT_TRUE(r.EventsOf("display").empty());
  }
}

TEST_F(PhotoShow, TheSettingsDialogWritesPicturesIniKeepingOtherKeys) {
  const std::string ini = home / ".config/tidepool/pictures.ini";
  ::mkdir((home / ".config/tidepool").c_str(), 0755);
  ASSERT_TRUE(WriteFile(ini, "[Show]\nDuration=25\nOrder=newest\nFill=crop\nCropLimit=30\nMotion=strong\nCaptions=date+folder\nFuture=kept\n[Mine]\nA=1\n"));
  const RunResult r = Run({"/c"}, 3000, "at 200 click-on okButton\n");
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("settings-written"), std::vector<std::string>{ini});
  std::string text;
  ASSERT_TRUE(ReadFile(ini, text));
  EXPECT_NE(text.find("Duration=25"), std::string::npos) << text;
  EXPECT_NE(text.find("Order=newest"), std::string::npos) << text;
  EXPECT_NE(text.find("Future=kept"), std::string::npos) << text;
  EXPECT_NE(text.find("[Mine]"), std::string::npos) << text;
  EXPECT_NE(text.find("Transitions=fade"), std::string::npos) << text;
  // The fill, the crop limit, the motion and the captions went through the dialog's
  // controls and back.
  EXPECT_NE(text.find("Fill=crop"), std::string::npos) << text;
  EXPECT_NE(text.find("CropLimit=30"), std::string::npos) << text;
  EXPECT_NE(text.find("Motion=strong"), std::string::npos) << text;
  EXPECT_NE(text.find("Captions=date+folder"), std::string::npos) << text;
}

TEST_F(PhotoShow, TheSettingsFileChangesTheShowAndTheCommandLineOverridesIt) {
  const std::string folder = home / "Pictures";
  for (const char* n : {"a", "b", "c"}) AddJpeg(folder + "/" + n + ".jpg", 0x203040u);
  ::mkdir((home / ".config/tidepool").c_str(), 0755);
  ASSERT_TRUE(WriteFile(home / ".config/tidepool/pictures.ini",
                        "[Show]\nDuration=1\nOrder=name\nTransitions=5\nTransitionTime=300\n"));
  RunResult r = Run({}, 2500);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  ASSERT_GE(Loads(r).size(), 2u);
  ASSERT_FALSE(r.EventsOf("transition").empty());
  EXPECT_EQ(r.EventsOf("transition")[0].rfind("effect=5 ", 0), 0u) << r.EventsOf("transition")[0];
  r = Run({"--duration", "100", "--transitions", "7"}, 2500);
  EXPECT_EQ(Loads(r).size(), 1u);
}

TEST_F(PhotoShow, TheFillShowsOnScreenAndEachPicturesFrameNamesItsView) {
  // 5:3 on a 4:3 screen: fitted 320 x 192 between bands of 24 rows; a crop cuts a fifth.
  const Pixel colour = MakePixel(200, 160, 120);
  AddJpeg(home / "Pictures/wide.jpg", colour, 400, 240);
  const std::string frames = home / "frames";
  struct Case {
    std::vector<std::string> args;
    std::string view;
    char band;  // what the top band shows: 'k' black, 'f' a dimmed fill, 'p' the picture
  };
  const std::string fitted = "0 24 320 192 0.00 0.00 400.00 240.00";
  for (const Case& c : {Case{{"--fill", "bars"}, fitted, 'k'}, Case{{}, fitted, 'f'},
                        Case{{"--fill", "crop"}, fitted, 'f'},  // beyond the default limit of 15
                        Case{{"--fill", "crop", "--crop-limit", "20"}, "0 0 320 240 40.00 0.00 320.00 240.00", 'p'}}) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    std::filesystem::remove_all(frames);
    ::mkdir(frames.c_str(), 0755);
    extraEnv["TIDEPOOL_FRAMES_DIR"] = frames;
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--duration", "100", "--motion", "off"});
    const RunResult r = Run(args, 500);
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    // The view line follows its frame, with the frame's time and hash.
    size_t viewAt = 0;
    while (viewAt < r.frames.size() && r.frames[viewAt].find(" view ") == std::string::npos) ++viewAt;
    ASSERT_LT(viewAt, r.frames.size()) << testing::PrintToString(r.frames);
    ASSERT_GT(viewAt, 0u);
    const std::string& view = r.frames[viewAt];
    const std::string& frame = r.frames[viewAt - 1];
    EXPECT_EQ(view.substr(view.find(' ') + 1), "view " + c.view + frame.substr(frame.rfind(' '))) << view;
    EXPECT_EQ(view.substr(0, view.find(' ')), frame.substr(0, frame.find(' ')));
    EXPECT_EQ(FramesOf(r, "view").size(), 1u);
    // What the screen shows in the top band and in the middle.
    std::vector<std::string> dumps;
    for (const auto& e : std::filesystem::directory_iterator(frames)) dumps.push_back(e.path().string());
    ASSERT_FALSE(dumps.empty());
    std::sort(dumps.begin(), dumps.end());
    const Bitmap32 shot = LoadImageFile(dumps.back());
    const Pixel band = shot.at(160, 5), middle = shot.at(160, 120);
    EXPECT_NEAR(PixelR(middle), 200, 6);
    EXPECT_NEAR(PixelB(middle), 120, 6);
    if (c.band == 'k') {
      EXPECT_EQ(band & 0xFFFFFFu, 0u) << std::hex << band;
    } else if (c.band == 'p') {
      EXPECT_NEAR(PixelR(band), 200, 6) << std::hex << band;
    } else {
      EXPECT_GT(PixelR(band), 40) << std::hex << band;
      EXPECT_GT(PixelB(band), 20) << std::hex << band;
      EXPECT_LT(PixelR(band), 190) << std::hex << band;
    }
  }
  extraEnv.clear();
  // Across changes and cross-fades: every frame of a picture names its view, a frame of the
  // fade both pictures' views, each with its frame's time and hash.
  AddJpeg(home / "Pictures/tall.jpg", 0x406080u, 60, 120);
  AddJpeg(home / "Pictures/square.jpg", 0x804020u, 100, 100);
  const RunResult r = Run({"--duration", "1", "--transitions", "fade", "--order", "name"}, 4200);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  const auto timeAndHash = [](const std::string& line) {
    return line.substr(0, line.find(' ')) + line.substr(line.rfind(' '));
  };
  std::string frame;
  int pictureFrames = 0, twoViews = 0, viewsOfFrame = 0;
  for (const std::string& line : r.frames) {
    if (line.find(" view ") == std::string::npos) {
      if (line.find(" window ") != std::string::npos) {
        ++pictureFrames;
        EXPECT_GE(viewsOfFrame, frame.empty() ? 0 : 1) << frame;  // a picture's frame without its view
      }
      frame = line.find(" window ") != std::string::npos ? line : std::string();
      viewsOfFrame = 0;
      continue;
    }
    ASSERT_FALSE(frame.empty()) << "a view line after no picture frame: " << line;
    EXPECT_EQ(timeAndHash(line), timeAndHash(frame)) << line;
    if (++viewsOfFrame == 2) ++twoViews;
    EXPECT_LE(viewsOfFrame, 2) << line;
  }
  EXPECT_GT(pictureFrames, 10);
  EXPECT_GT(twoViews, 5);
  const std::vector<std::string> views = FramesOf(r, "view");
  const auto tall = [](const std::string& v) { return v.rfind("100 0 120 240 0.00 0.00 60.00 120.00 ", 0) == 0; };
  EXPECT_TRUE(std::any_of(views.begin(), views.end(), tall)) << testing::PrintToString(views);
}

// A view line's numbers: X Y W H SX SY SW SH.
std::vector<double> ViewNumbers(const std::string& view) {
  std::vector<double> n;
  std::istringstream in(view);
  double v = 0;
  for (int i = 0; i < 8 && in >> v; ++i) n.push_back(v);
  return n;
}

TEST_F(PhotoShow, PicturesMoveOverTheirTimeWithinThemselves) {
  // On a 4:3 screen: a 10:3 panorama pans across at 1:1; a 4:3 picture twice the screen zooms.
  AddJpeg(home / "Pictures/a-wide.jpg", 0x3080C0u, 800, 240);
  AddJpeg(home / "Pictures/b-near.jpg", 0xC08030u, 640, 480);
  // An effect other than the cross-fade, which meets both pictures at rest.
  const RunResult r = Run({"--duration", "2", "--order", "name", "--transitions", "2"}, 6000);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  ASSERT_GE(Loads(r).size(), 2u);
  std::vector<std::vector<double>> wide, near;
  for (const std::string& v : FramesOf(r, "view")) {
    const std::vector<double> n = ViewNumbers(v);
    ASSERT_EQ(n.size(), 8u) << v;
    // Within the screen and within its picture.
    EXPECT_GE(n[0], 0);
    EXPECT_GE(n[1], 0);
    EXPECT_LE(n[0] + n[2], 320);
    EXPECT_LE(n[1] + n[3], 240);
    EXPECT_GE(n[4], 0);
    EXPECT_GE(n[5], 0);
    const bool isWide = n[7] == 240 && n[6] < 640 - 1;  // the panorama's full height
    (isWide ? wide : near).push_back(n);
    EXPECT_LE(n[4] + n[6], isWide ? 800.01 : 640.01) << v;
    EXPECT_LE(n[5] + n[7], isWide ? 240.01 : 480.01) << v;
  }
  // The pan: the whole screen at 1:1 all along, from one end of the panorama to the other.
  ASSERT_GT(wide.size(), 60u);
  std::set<double> xs;
  for (const auto& n : wide) {
    EXPECT_EQ(n[2], 320);
    EXPECT_NEAR(n[6], 320, 0.01);
    xs.insert(n[4]);
  }
  EXPECT_NEAR(*xs.begin(), 0, 1);
  EXPECT_NEAR(*xs.rbegin(), 480, 1);
  EXPECT_GT(xs.size(), 60u);  // a new place in most frames, not a jump now and then
  // The zoom: from fitted at 0.5 to 1.15 times that, or back.
  ASSERT_GT(near.size(), 60u);
  double least = 1e9, most = 0;
  for (const auto& n : near) {
    least = std::min(least, n[6]);
    most = std::max(most, n[6]);
  }
  EXPECT_NEAR(most, 640, 0.5);
  EXPECT_NEAR(least, 320 / 0.575, 1);
  // A transition runs between the old picture's last view and the new one's first: its
  // frames name the view of the frame before it and one still view of the new picture.
  const std::vector<std::vector<std::string>> byFrame = ViewsByFrame(r);
  int transitionFrames = 0;
  for (size_t i = 1; i < byFrame.size(); ++i) {
    if (byFrame[i].size() != 2) continue;
    ++transitionFrames;
    const std::vector<std::string>& before = byFrame[i - 1];
    EXPECT_EQ(byFrame[i][0], before[0]) << i;  // the old picture, where it stopped
    if (before.size() == 2) {
      EXPECT_EQ(byFrame[i][1], before[1]) << i;  // the new one, still
    }
  }
  EXPECT_GT(transitionFrames, 10);
  // About 60 frames a second while the panorama moves.
  std::vector<long> times;
  for (const std::string& line : r.frames) {
    const size_t at = line.find(" view ");
    if (at == std::string::npos) continue;
    const std::vector<double> n = ViewNumbers(line.substr(at + 6));
    if (n.size() == 8 && n[7] == 240 && n[4] > 0 && n[4] < 480) times.push_back(std::stol(line));
  }
  ASSERT_GT(times.size(), 60u);
  const long from = times.front() + 200;
  const long frames = std::count_if(times.begin(), times.end(), [&](long t) { return t >= from && t < from + 1000; });
  EXPECT_GE(frames, 59);
  EXPECT_LE(frames, 61);
}

TEST_F(PhotoShow, TheCrossFadeKeepsBothPicturesMovingWithoutAJump) {
  // Two pictures of the screen's shape, twice its size: each zooms over its whole time.
  AddJpeg(home / "Pictures/a.jpg", 0x3080C0u, 640, 480);
  AddJpeg(home / "Pictures/b.jpg", 0xC08030u, 640, 480);
  const RunResult r = Run({"--duration", "2", "--order", "name", "--transitions", "fade"}, 5000);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  ASSERT_GE(Loads(r).size(), 2u);
  const std::vector<std::vector<std::string>> byFrame = ViewsByFrame(r);
  // The source width of each view: the zoom's measure, changing in every moving frame.
  const auto width = [](const std::string& v) { return ViewNumbers(v).at(6); };
  int transitionFrames = 0, oldMoved = 0, newMoved = 0;
  for (size_t i = 1; i < byFrame.size(); ++i) {
    const std::vector<std::string>& before = byFrame[i - 1];
    const std::vector<std::string>& now = byFrame[i];
    if (now.size() == 2) {
      ++transitionFrames;
      if (now[0] != before[0]) ++oldMoved;  // the leaving picture's view of the frame before
      if (before.size() == 2 && now[1] != before[1]) ++newMoved;
    } else if (before.size() == 2) {
      // The first frame after the fade goes on from its last view, a small step away.
      EXPECT_NEAR(width(now[0]), width(before[1]), 3.0) << i;
    }
  }
  ASSERT_GT(transitionFrames, 20);
  // Both move in nearly every frame of the fade (a frame may land on the same rounded view).
  EXPECT_GT(oldMoved, transitionFrames * 3 / 4);
  EXPECT_GT(newMoved, transitionFrames * 3 / 4);
}

TEST_F(PhotoShow, ALonePictureTurnsBackFromWhereItIsWhenItsTimeIsUp) {
  // With the cross-fade, a picture is still moving when its time is up; with nothing else to
  // show it goes back from there, never jumping to an end of its path.
  AddJpeg(home / "Pictures/a.jpg", 0x3080C0u, 640, 480);
  const RunResult r = Run({"--duration", "1", "--transitions", "fade"}, 4500);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  std::vector<double> widths;
  for (const std::string& v : FramesOf(r, "view")) widths.push_back(ViewNumbers(v).at(6));
  ASSERT_GT(widths.size(), 200u);
  double least = 1e9, most = 0;
  for (size_t i = 1; i < widths.size(); ++i) {
    EXPECT_NEAR(widths[i], widths[i - 1], 3.0) << i;
    least = std::min(least, widths[i]);
    most = std::max(most, widths[i]);
  }
  EXPECT_GT(most - least, 20);  // it did move: a third of the way from 640 towards 556 and back
}

TEST_F(PhotoShow, EachScreenShowsItsOwnPicturesFromTheOneDeckAtItsOwnSize) {
  for (char c = 'a'; c <= 'f'; ++c) AddJpeg(home / ("Pictures/" + std::string(1, c) + ".jpg"), 0x101010u * uint32_t(c - 'a' + 1));
  extraEnv["TIDEPOOL_MORE_SCREENS"] = "200x150";
  extraEnv["TIDEPOOL_EVENT_LOG"] = home / "events.log";
  const RunResult r = Run({"--all-screens", "--duration", "1", "--motion", "off"}, 2500);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  const auto loadsIn = [](const std::vector<std::string>& lines, std::string* opened) {
    std::vector<std::string> loads;
    for (const std::string& line : lines) {
      std::istringstream in(line);
      std::string time, kind, rest;
      in >> time >> kind;
      std::getline(in >> std::ws, rest);
      if (kind == "load") loads.push_back(Bare(rest));
      if (kind == "display" && rest.rfind("open ", 0) == 0) *opened = rest;
    }
    return loads;
  };
  std::string primaryOpen, otherOpen;
  const std::vector<std::string> primary = loadsIn(ReadLines(home / "events.log"), &primaryOpen);
  const std::vector<std::string> other = loadsIn(ReadLines(home / "events.log-screen1"), &otherOpen);
  EXPECT_EQ(primaryOpen, "open 320x240");
  EXPECT_EQ(otherOpen, "open 200x150");
  ASSERT_GE(primary.size(), 2u);
  ASSERT_GE(other.size(), 2u);
  // At one time no picture is on both screens: the first of each differ, and a pass of six
  // is shared out between the two.
  EXPECT_NE(primary[0], other[0]);
  std::set<std::string> both(primary.begin(), primary.begin() + 2);
  both.insert(other.begin(), other.begin() + 2);
  EXPECT_EQ(both.size(), 4u);
  // One stream on every screen: no show of its own for the other screen.
  std::filesystem::remove(home / "events.log-screen1");
  const RunResult same = Run({"--same-on-all-screens", "--duration", "1"}, 1500);
  ASSERT_EQ(same.exitCode, 0) << same.stderrText;
  EXPECT_FALSE(std::filesystem::exists(home / "events.log-screen1"));
}

TEST_F(PhotoShow, AFrameRateAboveTheScreensRefreshIsHeldToIt) {
  AddJpeg(home / "Pictures/a-wide.jpg", 0x3080C0u, 800, 240);
  extraEnv["TIDEPOOL_REFRESH_HZ"] = "60";
  extraEnv["TIDEPOOL_PRESENT_MS"] = "2";
  const RunResult r = Run({"--duration", "3", "--fps", "240"}, 2500);
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("display")[1], "refresh 60.00");
  std::vector<long> times;
  for (const std::string& line : r.frames)
    if (line.find(" window ") != std::string::npos) times.push_back(std::stol(line));
  ASSERT_GT(times.size(), 100u);
  for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 16) << i;
  // 60 frames a second, not 240 (nor the 400 that showing alone would allow).
  const long from = times.front() + 500;
  const long frames = std::count_if(times.begin(), times.end(), [&](long t) { return t >= from && t < from + 1000; });
  EXPECT_GE(frames, 59);
  EXPECT_LE(frames, 61);
}

TEST_F(PhotoShow, CaptionsNameTheDateAndFolderInTheLowerCornerOnly) {
  // A mid-grey picture, so that the light text and its dark shadow both show on it; the
  // date is the file's (no EXIF), read in UTC and the C locale.
  ::mkdir((home / "Pictures/Beach").c_str(), 0755);
  const std::string file = home / "Pictures/Beach/a.jpg";
  struct Case {
    std::vector<std::string> args;
    int width, height;
  };
  const std::string frames = home / "frames";
  extraEnv["TZ"] = "UTC";
  extraEnv["LC_ALL"] = "C";
  extraEnv["TIDEPOOL_FRAMES_DIR"] = frames;
  // Moving (a picture of the screen's shape zooms), and still between black bars, where the
  // caption belongs to the screen's corner and not the picture's.
  for (const Case& c : {Case{{}, 640, 480}, Case{{"--motion", "off", "--fill", "bars"}, 400, 240}}) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    std::filesystem::remove(file);
    AddJpeg(file, 0x808080u, c.width, c.height);
    const struct timeval taken[2] = {{1623715200, 0}, {1623715200, 0}};  // 2021-06-15 UTC
    ASSERT_EQ(::utimes(file.c_str(), taken), 0);
    std::filesystem::remove_all(home / ".cache");
    ::mkdir((home / ".cache").c_str(), 0755);
    auto lastFrame = [&](const std::string& captions, RunResult& r) {
      std::filesystem::remove_all(frames);
      ::mkdir(frames.c_str(), 0755);
      std::vector<std::string> args = c.args;
      args.insert(args.end(), {"--duration", "2", "--captions", captions});
      r = Run(args, 1500);
      std::vector<std::string> dumps;
      for (const auto& e : std::filesystem::directory_iterator(frames)) dumps.push_back(e.path().string());
      std::sort(dumps.begin(), dumps.end());
      return dumps.empty() ? Bitmap32() : LoadImageFile(dumps.back());
    };
    RunResult plainRun, captionRun;
    const Bitmap32 plain = lastFrame("off", plainRun), captioned = lastFrame("date+folder", captionRun);
    ASSERT_EQ(plainRun.exitCode, 0) << plainRun.stderrText;
    ASSERT_EQ(captionRun.exitCode, 0) << captionRun.stderrText;
    EXPECT_TRUE(plainRun.EventsOf("caption").empty());
    EXPECT_EQ(captionRun.EventsOf("caption"), std::vector<std::string>{"06/15/21 \u00B7 Beach"});
    if (c.args.empty()) {
      // The frame compared is one of a moving picture.
      std::set<std::string> views;
      for (const std::string& v : FramesOf(captionRun, "view")) views.insert(v.substr(0, v.rfind(' ')));
      EXPECT_GT(views.size(), 10u);
    }
    ASSERT_EQ(plain.width(), 320);
    ASSERT_EQ(captioned.width(), 320);
    ASSERT_EQ(captioned.height(), 240);
    // Light text and dark shadow in the lower left quarter; nothing changed elsewhere.
    int lighter = 0, darker = 0, changedElsewhere = 0;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) {
        const int was = PixelG(plain.at(x, y)), now = PixelG(captioned.at(x, y));
        if ((plain.at(x, y) & 0xFFFFFFu) == (captioned.at(x, y) & 0xFFFFFFu)) continue;
        if (x >= 160 || y < 180) ++changedElsewhere;
        else if (now > was + 60) ++lighter;
        else if (now < was - 40) ++darker;
      }
    EXPECT_EQ(changedElsewhere, 0);
    EXPECT_GT(lighter, 40);
    if (c.args.empty()) {
      EXPECT_GT(darker, 40);  // on black bars the shadow cannot darken
    }
  }
}

}  // namespace
}  // namespace tp::test
