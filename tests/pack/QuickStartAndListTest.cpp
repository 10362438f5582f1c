// A saver straight from a folder of pictures, the defaults packing fills in, listing a
// saver in place, the progress line, and the command line itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "pack/PackTestSupport.h"

namespace tp::test {
namespace {

namespace fs = std::filesystem;

class QuickStart : public ::testing::Test {
 protected:
  TempDir work;
};

TEST_F(QuickStart, AFolderOfPicturesBecomesASaverNamedAfterItWithTheDefaults) {
  const std::string trip = work / "My Trip";
  fs::create_directories(trip + "/b");
  fs::create_directories(trip + "/a");
  Convert("-size 64x48 xc:red '" + trip + "/b/1.jpg'");
  Convert("-size 64x48 xc:green '" + trip + "/a/1.jpg'");
  Convert("-size 32x24 xc:blue '" + trip + "/top.png'");
  WriteAll(trip + "/notes.txt", "not a picture");
  ASSERT_EQ(RunCommand("sox -n -r 22050 -c 1 " + work / "tune.wav" + " synth 0.5 sine 440 2>/dev/null"), 0);
  WriteAll(work / "broken.mp3", "this is no music");
  const std::string saver = work / "trip.scr";

  const ToolRun made = RunPack({"--pictures", trip, "--music", work / "tune.wav", "--music", work / "broken.mp3", saver});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_NE(made.err.find("warning: " + work / "broken.mp3" + ": the player cannot play it"), std::string::npos) << made.err;
  EXPECT_EQ(made.err.find("tune.wav"), std::string::npos) << made.err;

  // Listing reads the saver in place: nothing appears in the temporary folder.
  TempDir tmp;
  const ToolRun list = RunPack({"--list", saver});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  const std::string& o = list.out;
  EXPECT_EQ(o.rfind("Product: My Trip\nPictures: 3\n"
                    "  1.jpg  64 x 48  JPEG  ",
                    0),
            0u)
      << o;
  EXPECT_NE(o.find("\n  b-1.jpg  64 x 48  JPEG  "), std::string::npos) << o;
  EXPECT_NE(o.find("\n  top.jpg  32 x 24  JPEG  "), std::string::npos) << o;
  EXPECT_LT(o.find("  1.jpg  64"), o.find("  b-1.jpg  64"));
  EXPECT_LT(o.find("  b-1.jpg  64"), o.find("  top.jpg  32"));
  EXPECT_NE(o.find("[Default] Stretch=1 Proportional=1 Sound=1 Music=1 Random=1 Duration=10\n"), std::string::npos) << o;
  EXPECT_NE(o.find("Transition=1 TransitionTime=1500 Speed=100 ShowImageMode=0"), std::string::npos) << o;
  EXPECT_NE(o.find("Music: on, tune.wav;broken.mp3, random order\n"), std::string::npos) << o;
  EXPECT_NE(o.find("UI description: none\n"), std::string::npos);
  EXPECT_NE(o.find("Files: 5, "), std::string::npos);
  EXPECT_NE(o.find("\nTotal: project "), std::string::npos);
  EXPECT_EQ(o.find("notes.txt"), std::string::npos);

  ASSERT_EQ(RunPack({"--unpack", saver, work / "project"}).exitCode, 0);
  EXPECT_EQ(ReadAll(work / "project/settings.ini"),
            "[General]\r\nProductName=My Trip\r\n[Default]\r\nStretch=1\r\nProportional=1\r\nDuration=10\r\n"
            "Transition=1\r\nTransitionTime=1500\r\nRandom=1\r\nShowImageMode=0\r\nMusic=1\r\n"
            "[Advance]\r\nMusicFile=tune.wav;broken.mp3\r\nMusicMode=0\r\n");

  // The player shows the pictures and plays the music.
  RunOptions options;
  options.tmpDir = tmp.path();
  options.runMs = 2000;
  const RunResult run = RunHeadless(saver, {"/s"}, options);
  EXPECT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_FALSE(run.EventsOf("load").empty());
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(QuickStart, AProjectWithoutSettingsGetsTheDefaultsWithMusicOff) {
  ProjectFolder project(work / "project");
  project.AddPicture("a.jpg");
  ASSERT_EQ(RunPack({"--no-player", project.dir(), work / "out.scr"}).exitCode, 0);
  ASSERT_EQ(RunPack({"--unpack", work / "out.scr", work / "back"}).exitCode, 0);
  EXPECT_EQ(ReadAll(work / "back/settings.ini"),
            "[General]\r\nProductName=My Screensaver\r\n[Default]\r\nStretch=1\r\nProportional=1\r\nDuration=10\r\n"
            "Transition=1\r\nTransitionTime=1500\r\nRandom=1\r\nShowImageMode=0\r\nMusic=0\r\n");
  EXPECT_EQ(ReadAll(work / "back/ui.ini"), "[UI]\r\nUIFile=MpGUI.mui\r\n");
}

TEST_F(QuickStart, ProgressIsShownOnATerminalOnlyForMoreThanFiftyPictures) {
  if (RunCommand("command -v script >/dev/null") != 0) GTEST_SKIP() << "script(1) is missing";
  const std::string dir = work / "many";
  fs::create_directories(dir);
  Convert("-size 16x16 xc:orange " + work / "one.jpg");
  for (int i = 0; i < 51; ++i) fs::copy_file(work / "one.jpg", dir + "/p" + std::to_string(100 + i) + ".jpg");

  const ToolRun piped = RunPack({"--no-player", "--pictures", dir, work / "piped.scr"});
  ASSERT_EQ(piped.exitCode, 0);
  EXPECT_TRUE(piped.err.empty()) << piped.err;

  const std::string cmd = "'" + ToolPath("tidepool-pack") + "' --no-player --pictures '" + dir + "' '" + work / "tty.scr" + "'";
  ASSERT_EQ(RunCommand("script -qec \"" + cmd + "\" /dev/null >'" + work / "tty.txt" + "'"), 0);
  const std::string shown = ReadAll(work / "tty.txt");
  EXPECT_NE(shown.find("\rtidepool-pack: 51/51 pictures, 0.0 MB"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\rtidepool-pack: 1/51 pictures"), std::string::npos) << shown;

  fs::remove(dir + "/p100.jpg");
  const std::string fifty = "'" + ToolPath("tidepool-pack") + "' --no-player --pictures '" + dir + "' '" + work / "50.scr" + "'";
  ASSERT_EQ(RunCommand("script -qec \"" + fifty + "\" /dev/null >'" + work / "50.txt" + "'"), 0);
  EXPECT_EQ(ReadAll(work / "50.txt").find("pictures,"), std::string::npos);
}

TEST(PackCommandLine, HelpVersionAndMistakes) {
  const ToolRun help = RunPack({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage:\n  tidepool-pack [--skip-bad]", 0), 0u) << help.out;
  for (const char* key : {"ProductName=", "TransitionEffects=", "DirectXQuality=", "MusicFile=", "PreviewFile=",
                          "CustomIcon=", "--pictures DIR", "--list SAVER.scr", "--unpack SAVER.scr DIR"})
    EXPECT_NE(help.out.find(key), std::string::npos) << key;

  // The example in the help is a settings.ini the player reads as it says.
  TempDir work;
  ProjectFolder project(work / "project");
  project.AddPicture("a.jpg");
  std::string example;
  for (size_t at = help.out.find("\n  [General]"); at != std::string::npos && at + 1 < help.out.size();) {
    const size_t end = help.out.find('\n', at + 1);
    example += help.out.substr(at + 3, end - at - 3) + "\r\n";
    at = end;
  }
  project.SetSettings(example);
  ASSERT_EQ(RunPack({"--no-player", project.dir(), work / "example.scr"}).exitCode, 0);
  const ToolRun list = RunPack({"--list", work / "example.scr"});
  EXPECT_NE(list.out.find("[Default] Stretch=1 Proportional=1 Sound=1 Music=1 Random=1 Duration=10\n"), std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find("TransitionEffects=1,5,12,40\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("[Advance] MusicFile=song.mp3;rain.ogg MusicMode=0 PreviewFile=preview.jpg\n"), std::string::npos)
      << list.out;

  const ToolRun version = RunPack({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("tidepool-pack ", 0), 0u);

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--frobnicate", "a", "b"}, {"only-one-argument"}, {"--list"}, {"--list", "a.scr", "--unpack", "b.scr", "c"}}) {
    const ToolRun r = RunPack(args);
    EXPECT_EQ(r.exitCode, 2) << args[0];
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("tidepool-pack: ", 0), 0u) << r.err;
  }
}

}  // namespace
}  // namespace tp::test
