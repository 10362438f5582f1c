#include <gtest/gtest.h>

#include "core/FileSystem.h"
#include "project/ContainerReader.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

class EntryPoint : public ::testing::Test {
 protected:
  void SetUp() override {
    ProjectFolder empty(work / "empty");
    ASSERT_EQ(empty.Pack(work / "Empty.scr"), 0);
    ProjectFolder lake(work / "lake");
    lake.SetSettings("[General]\r\nProductName=Lake\r\n");
    lake.AddPicture("a.jpg");
    ASSERT_EQ(lake.Pack(work / "Lake.scr"), 0);
  }
  RunResult Run(const std::string& saver, std::vector<std::string> args) {
    RunOptions o;
    o.tmpDir = tmp.path();
    return RunHeadless(saver, args, o);
  }
  TempDir work;
  TempDir tmp;  // TMPDIR of the runs: extraction folders land here
};

TEST_F(EntryPoint, ProjectWithoutPicturesShowsOnlyTheMessageAndLeavesNothing) {
  RunResult r = Run(work / "Empty.scr", {"/s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.EventsOf("message"),
            (std::vector<std::string>{"info This screensaver does not contain any image."}));
  ASSERT_EQ(r.EventsOf("unpack").size(), 1u);
  EXPECT_EQ(r.EventsOf("unpack")[0].rfind(tmp.path() + "/Empty", 0), 0u);
  EXPECT_TRUE(tmp.List().empty());
  EXPECT_EQ(r.EventsOf("exit"), (std::vector<std::string>{"0"}));
}

TEST_F(EntryPoint, OnlyTheSaverSwitchesRunTheSaver) {
  for (const char* s : {"s", "/S", "-s", "/s:0"}) {
    RunResult r = Run(work / "Empty.scr", {s});
    EXPECT_EQ(r.EventsOf("message").size(), 1u) << s;
    EXPECT_EQ(r.exitCode, 0) << s;
  }
  for (const char* s : {"SAVE", "/X", "/a"}) {
    RunResult r = Run(work / "Empty.scr", {s, "1234"});
    EXPECT_TRUE(r.EventsOf("message").empty()) << s;
    EXPECT_TRUE(r.EventsOf("unpack").empty()) << s;
    EXPECT_EQ(r.EventsOf("exit"), (std::vector<std::string>{"0"})) << s;
  }
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(EntryPoint, BarePlayerSaysItHoldsNoProject) {
  // The player image itself must not contain the on-disk marker.
  EXPECT_FALSE(FindSectionMarker(PlayerPath()).found);
  for (const char* s : {"/s", "/c"}) {
    RunResult r = Run(PlayerPath(), {s});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.EventsOf("message"), (std::vector<std::string>{"info This file contains no screensaver project."}));
  }
  EXPECT_TRUE(Run(PlayerPath(), {"/p", "1"}).EventsOf("message").empty());
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(EntryPoint, ProjectOptionPlaysAnotherSaverFile) {
  RunResult r = Run(PlayerPath(), {"--project", work / "Lake.scr", "/s"});
  EXPECT_EQ(r.exitCode, 0);
  ASSERT_EQ(r.EventsOf("unpack").size(), 1u);
  EXPECT_EQ(r.EventsOf("unpack")[0].rfind(tmp.path() + "/Lake", 0), 0u);
  EXPECT_TRUE(r.EventsOf("message").empty());
  EXPECT_TRUE(tmp.List().empty());
  // Configuration mode unpacks and removes as well.
  r = Run(work / "Lake.scr", {});
  EXPECT_EQ(r.EventsOf("unpack").size(), 1u);
  EXPECT_TRUE(tmp.List().empty());
}

TEST_F(EntryPoint, WithoutADisplayTheShowEndsWithAMessageAndOtherSwitchesStillEndQuietly) {
  const std::string clean = "env -i PATH=/usr/bin:/bin TMPDIR='" + tmp.path() + "' ";
  EXPECT_EQ(RunCommand(clean + "'" + (work / "Lake.scr") + "' /s 2>'" + (work / "err.txt") + "'"), 1);
  std::string err;
  ASSERT_TRUE(ReadFile(work / "err.txt", err));
  EXPECT_NE(err.find("no display"), std::string::npos) << err;
  EXPECT_EQ(RunCommand(clean + "'" + (work / "Lake.scr") + "' /x"), 0);
  EXPECT_TRUE(tmp.List().empty());
}

}  // namespace
}  // namespace tp::test
