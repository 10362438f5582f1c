// A moving folder show on Xvfb with Mesa's OpenGL: the GPU path when it is asked for (a
// software renderer is otherwise left to the CPU path), moving on screen through a change.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/FileSystem.h"
#include "e2e/PreviewXServer.h"
#include "e2e/SpawnedProcess.h"
#include "imaging/ImageWriter.h"
#include "support/SaverRun.h"
#include "support/TestPictures.h"

namespace tp::test {
namespace {

bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

int Count(const std::vector<std::string>& lines, const std::string& text) {
  int n = 0;
  for (const std::string& line : lines) n += line.find(text) != std::string::npos;
  return n;
}

class GpuShow : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(runtime.path().c_str(), 0700);
    for (int i = 0; i < 2; ++i) {
      const std::vector<uint8_t> jpeg = EncodeJpeg(PhotoLikePicture(1200 + 400 * i, 900), 90);
      ASSERT_TRUE(WriteFile(photos / ("photo" + std::to_string(i) + ".jpg"), std::string(jpeg.begin(), jpeg.end())));
    }
  }
  pid_t Start(const std::string& gl) {
    return Spawn({PlayerPath(), "--pictures", "--folder", photos.path(), "--duration", "2", "--motion", "strong"},
                 {"QT_QPA_PLATFORM=xcb", "TIDEPOOL_GL=" + gl, "TMPDIR=" + tmp.path(), "HOME=" + home.path(),
                  "XDG_CACHE_HOME=" + home / "cache", "XDG_CONFIG_HOME=" + home / "config",
                  "XDG_RUNTIME_DIR=" + runtime.path(), "TIDEPOOL_EVENT_LOG=" + events(), "TIDEPOOL_AUDIO=none",
                  // Mesa's driver is unloaded as the player ends, and what it set up once for
                  // the process is then reported with no stack to tell it by; tests_gpu
                  // checks the drawing for leaks with the driver kept.
                  "LSAN_OPTIONS=detect_leaks=0"});
  }
  std::string events() const { return home / "events.log"; }
  // Waits up to timeoutMs for the event log to hold text count times.
  bool WaitFor(const std::string& text, int count, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      if (Count(ReadLines(events()), text) >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  TempDir photos, home, tmp, runtime;
};

TEST_F(GpuShow, MovesOnTheGpuThroughAChangeWhenAskedAndStaysOnTheCpuOtherwise) {
  TP_REQUIRE_XSERVER();
  const pid_t pid = Start("1");
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(WaitFor(" load ", 1, 30000));
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  const Bitmap32 first = ReadScreen();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const Bitmap32 later = ReadScreen();
  // Two pictures shown, and the second moving after the change as well.
  const bool changed = WaitFor(" load ", 2, 30000);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  const Bitmap32 second = ReadScreen();
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExitWithin(pid, 30000), 0);
  const std::vector<std::string> lines = ReadLines(events());
  EXPECT_TRUE(HasLine(lines, " display gpu llvmpipe")) << "Mesa's OpenGL on Xvfb is a test dependency";
  EXPECT_FALSE(HasLine(lines, " display gpu lost"));
  EXPECT_TRUE(changed);
  EXPECT_TRUE(HasLine(lines, " transition "));
  ASSERT_EQ(first.width(), 640);
  // Drawn (not black) and moving between the two looks.
  EXPECT_GT(first.at(320, 240) & 0xFFFFFF, 0u);
  EXPECT_LT(Psnr(first, later), 60.0);
  EXPECT_GT(second.at(320, 240) & 0xFFFFFF, 0u);

  // Not asked for: Mesa's software renderer is left alone.
  ::unlink(events().c_str());
  const pid_t cpu = Start("");
  ASSERT_GT(cpu, 0);
  EXPECT_TRUE(WaitFor(" load ", 1, 30000));
  ::kill(cpu, SIGTERM);
  EXPECT_EQ(WaitExitWithin(cpu, 30000), 0);
  EXPECT_TRUE(HasLine(ReadLines(events()), " display gpu off (software renderer llvmpipe"));
}

}  // namespace
}  // namespace tp::test
