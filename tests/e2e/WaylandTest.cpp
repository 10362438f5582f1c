// The show and the configuration window under a Wayland compositor (Weston's headless
// backend with an 800 x 600 output), through Qt's Wayland platform.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/FileSystem.h"
#include "e2e/SpawnedProcess.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

std::string FindProgram(const std::string& name) {
  std::string path;
  if (FILE* p = ::popen(("command -v " + name + " 2>/dev/null").c_str(), "r")) {
    char buffer[512];
    if (std::fgets(buffer, sizeof buffer, p)) path = buffer;
    ::pclose(p);
  }
  while (!path.empty() && (path.back() == '\n' || path.back() == ' ')) path.pop_back();
  return path;
}

bool HasEvent(const std::string& log, const std::string& text) {
  for (const std::string& line : ReadLines(log))
    if (line.find(text) != std::string::npos) return true;
  return false;
}

class Wayland : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string weston = FindProgram("weston");
    if (weston.empty()) GTEST_SKIP() << "weston is not installed (scripts/install-deps.sh test installs it)";
    ::chmod(runtime.path().c_str(), 0700);
    compositor = Spawn({weston, "--backend=headless-backend.so", "--socket=tidepool-test", "--width=800",
                        "--height=600", "--idle-time=0", "--log=" + (runtime / "weston.log")},
                       {"XDG_RUNTIME_DIR=" + runtime.path()});
    ASSERT_GT(compositor, 0);
    for (int i = 0; i < 100 && !std::filesystem::exists(runtime / "tidepool-test"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(std::filesystem::exists(runtime / "tidepool-test")) << "weston did not start";

    ProjectFolder project(work / "show");
    project.SetSettings("[General]\r\nProductName=Harbour\r\n[Default]\r\nDuration=1\r\nTransitionTime=200\r\n");
    project.AddPicture("a.jpg", "64x48", "xc:red");
    project.AddPicture("b.jpg", "64x48", "xc:blue");
    ASSERT_EQ(project.Pack(work / "Show.scr"), 0);
  }
  void TearDown() override {
    if (compositor > 0) {
      ::kill(compositor, SIGTERM);
      WaitExitWithin(compositor, 10000);
    }
  }
  pid_t Start(const std::string& mode) {
    // Full stacks on allocation, so that the leak suppressions for the Wayland plugin's
    // own objects can see the plugin in them.
    const char* lsan = std::getenv("LSAN_OPTIONS");
    const std::string leakOptions = std::string("LSAN_OPTIONS=") + (lsan ? lsan : "") + ":fast_unwind_on_malloc=0";
    return Spawn({work / "Show.scr", mode},
                 {"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=tidepool-test", "DISPLAY=",
                  "XDG_RUNTIME_DIR=" + runtime.path(), "TMPDIR=" + tmp.path(), "TIDEPOOL_EVENT_LOG=" + events,
                  leakOptions});
  }
  TempDir work, tmp, runtime;
  std::string events = work / "events.log";
  pid_t compositor = -1;
};

TEST_F(Wayland, ShowRunsFullScreenAndEndsOnSigtermWithItsCleanUp) {
  const pid_t pid = Start("/s");
  ASSERT_GT(pid, 0);
  bool fullScreen = false;
  for (int i = 0; i < 300 && !fullScreen; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fullScreen = HasEvent(events, "display shown 800x600 full-screen");
  }
  // Let a picture change happen before the end.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExitWithin(pid, 30000), 0);
  EXPECT_TRUE(fullScreen) << "the compositor never showed the window full screen";
  EXPECT_TRUE(HasEvent(events, "close-query allowed"));
  EXPECT_TRUE(tmp.List().empty()) << "the extraction folder was left behind";
}

TEST_F(Wayland, ConfigurationWindowOpensAndEndsOnSigterm) {
  const pid_t pid = Start("/c");
  ASSERT_GT(pid, 0);
  bool unpacked = false;
  for (int i = 0; i < 300 && !unpacked; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    unpacked = !tmp.List().empty();
  }
  ASSERT_TRUE(unpacked);
  // Give the window time to reach the compositor; a failing platform would end the process.
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the configuration mode ended by itself";
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExitWithin(pid, 30000), 0);
  EXPECT_TRUE(tmp.List().empty());
}

}  // namespace
}  // namespace tp::test
