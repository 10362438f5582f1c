// The real player in mode S on the headless backend, with savers built by tidepool-pack.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "core/FileSystem.h"
#include "project/ContainerWriter.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

class SaverMode : public ::testing::Test {
 protected:
  void SetUp() override {
    ProjectFolder show(work / "show");
    show.SetSettings(
        "[General]\r\nProductName=Show\r\n[Default]\r\nDuration=1\r\nTransitionTime=300\r\n"
        "TransitionEffects=3,4\r\nShowImageMode=1\r\n");
    show.SetFileList("[FileList]\r\nred.jpg=1\r\ngreen.jpg=1\r\nblue.bmp=1\r\n");
    show.AddPicture("red.jpg", "64x48", "xc:red");
    show.AddPicture("green.jpg", "64x48", "xc:green");
    show.AddPicture("blue.bmp", "64x48", "xc:blue");
    ASSERT_EQ(show.Pack(work / "Show.scr"), 0);
  }
  RunResult Run(const std::vector<std::string>& args, unsigned runMs, const std::string& script = {}) {
    RunOptions o;
    o.tmpDir = tmp.path();
    o.runMs = runMs;
    if (!script.empty()) {
      std::ofstream(work / "script.txt") << script;
      o.env["TIDEPOOL_SCRIPT"] = work / "script.txt";
    }
    return RunHeadless(work / "Show.scr", args, o);
  }
  static std::vector<std::string> BareNames(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const std::string& p : paths) out.push_back(p.substr(p.rfind('/') + 1));
    return out;
  }
  TempDir work;
  TempDir tmp;
};

TEST_F(SaverMode, PlaysThePicturesInOrderWithTransitionsAndRemovesTheUnpackedProject) {
  const RunResult r = Run({"/s"}, 5000);
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  const auto loads = BareNames(r.EventsOf("load"));
  ASSERT_GE(loads.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(loads.begin(), loads.begin() + 4),
            (std::vector<std::string>{"red.jpg", "green.jpg", "blue.bmp", "red.jpg"}));
  const auto transitions = r.EventsOf("transition");
  EXPECT_EQ(transitions.size(), loads.size() - 1);
  for (const std::string& t : transitions)
    EXPECT_TRUE(t == "effect=3 steps=27" || t == "effect=4 steps=27") << t;
  EXPECT_EQ(r.EventsOf("close-request"), std::vector<std::string>{"system"});
  EXPECT_EQ(r.EventsOf("exit"), std::vector<std::string>{"0"});
  EXPECT_TRUE(tmp.List().empty()) << "the extraction folder was left behind";
}

TEST_F(SaverMode, AKeyEndsTheShowAtOnce) {
  const RunResult r = Run({"/s"}, 20000, "at 1500 key q\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.EventsOf("close-request"), std::vector<std::string>{"key"});
  EXPECT_EQ(r.EventsOf("close-query"), std::vector<std::string>{"allowed"});
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(SaverMode, UserSettingsBesideTheSaverReplaceTheProjectsChoices) {
  // One picture only (the second), no transitions, a longer duration.
  std::ofstream(work / "Show.ini") << "[Setting]\r\nImageMode=3\r\nIndex=1\r\nTransition=0\r\n"
                                      "Duration=2\r\nDirectX=0\r\n";
  const RunResult r = Run({"/s"}, 3000);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(BareNames(r.EventsOf("load")), std::vector<std::string>{"green.jpg"});
  EXPECT_TRUE(r.EventsOf("transition").empty());
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(SaverMode, BrokenPicturesInTheProjectAreSkipped) {
  // tidepool-pack refuses damaged pictures, so this saver is put together by hand.
  ProjectFolder broken(work / "broken");
  broken.AddPicture("good.jpg", "32x32", "xc:white");
  std::string good, player;
  ASSERT_TRUE(ReadFile(broken.dir() + "/files/good.jpg", good));
  ASSERT_TRUE(ReadFile(PlayerPath(), player));
  const std::string project = ContainerBytes(
      {ContainerItem::Container({ContainerItem::Data("[FileList]\r\nbad.jpg=1\r\ngood.jpg=1\r\nmissing.mpp=1\r\n"),
                                 ContainerItem::Data("[Default]\r\nDuration=1\r\nTransition=0\r\nShowImageMode=1\r\n"),
                                 ContainerItem::Data("[UI]\r\nUIFile=MpGUI.mui\r\n")}),
       ContainerItem::Data("bad.jpg\r\ngood.jpg\r\n"),
       ContainerItem::Container({ContainerItem::Data(std::string("\xFF\xD8\xFF\xE0 not really a picture", 26)),
                                 ContainerItem::Data(good)}),
       ContainerItem::Data("")});
  ASSERT_TRUE(WriteFile(work / "Broken.scr", player + project));
  ::chmod((work / "Broken.scr").c_str(), 0755);
  RunOptions o;
  o.tmpDir = tmp.path();
  o.runMs = 4000;
  const RunResult r = RunHeadless(work / "Broken.scr", {"/s"}, o);
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  const auto loads = BareNames(r.EventsOf("load"));
  ASSERT_FALSE(loads.empty());
  for (const std::string& l : loads) EXPECT_EQ(l, "good.jpg");
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(SaverMode, MusicTracksFollowEachOtherInSaverTime) {
  ProjectFolder music(work / "music");
  music.SetSettings("[Default]\r\nDuration=30\r\nMusic=1\r\n[Advance]\r\nMusicFile=one.wav;;two.wav;\r\nMusicMode=1\r\n");
  music.AddPicture("a.jpg");
  ASSERT_EQ(RunCommand("sox -n -r 8000 -c 1 '" + (work / "music/files/one.wav") + "' synth 1 sine 440"), 0);
  ASSERT_EQ(RunCommand("sox -n -r 8000 -c 1 '" + (work / "music/files/two.wav") + "' synth 0.5 sine 660"), 0);
  ASSERT_EQ(music.Pack(work / "Music.scr"), 0);
  RunOptions o;
  o.tmpDir = tmp.path();
  o.runMs = 3200;
  const RunResult r = RunHeadless(work / "Music.scr", {"/s"}, o);
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  // Sequential order: one (1 s), two (0.5 s), one, two, then one again at 3 s.
  std::vector<std::string> opened;
  std::vector<long> ticks;
  for (const std::string& line : r.events) {
    const size_t at = line.find(" music open ");
    if (at == std::string::npos) continue;
    ticks.push_back(std::stol(line.substr(0, at)));
    opened.push_back(line.substr(line.rfind('/') + 1));
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"one.wav", "two.wav", "one.wav", "two.wav", "one.wav"}));
  const std::vector<long> due = {0, 1000, 1500, 2500, 3000};
  ASSERT_EQ(ticks.size(), due.size());
  // A track's end is seen at the next idle step, within one frame period.
  for (size_t i = 0; i < due.size(); ++i) {
    EXPECT_GE(ticks[i], due[i]) << i;
    EXPECT_LE(ticks[i], due[i] + 34 * long(i) + 1) << i;
  }
}

}  // namespace
}  // namespace tp::test
