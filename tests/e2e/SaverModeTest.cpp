// The real player in mode S on the headless backend, with savers built by tidepool-pack.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

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
  ProjectFolder broken(work / "broken");
  broken.SetSettings("[Default]\r\nDuration=1\r\nTransition=0\r\nShowImageMode=1\r\n");
  broken.SetFileList("[FileList]\r\nbad.jpg=1\r\ngood.jpg=1\r\nmissing.mpp=1\r\n");
  broken.AddFile("bad.jpg", std::string("\xFF\xD8\xFF\xE0 not really a picture", 26));
  broken.AddPicture("good.jpg", "32x32", "xc:white");
  ASSERT_EQ(broken.Pack(work / "Broken.scr"), 0);
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

}  // namespace
}  // namespace tp::test
