// The show on an X server with a desktop scale factor of 2: it is drawn in the screen's
// own pixels, so a picture at its original size stays sharp.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "e2e/PreviewXServer.h"
#include "e2e/SpawnedProcess.h"
#include "imaging/ImageWriter.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

constexpr Pixel kLight = MakePixel(250, 250, 250);
constexpr Pixel kDark = MakePixel(200, 30, 30);

// True when the screen shows the w x h checkerboard with its top-left pixel at (x, y),
// one picture pixel per screen pixel, on black.
bool ShowsCheckerboard(const Bitmap32& screen, int x0, int y0, int w, int h) {
  if (screen.empty()) return false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (screen.at(x0 + x, y0 + y) != ((x + y) % 2 ? kDark : kLight)) return false;
  for (int y = 0; y < h; ++y)
    if (screen.at(x0 - 1, y0 + y) != 0 || screen.at(x0 + w, y0 + y) != 0) return false;
  return true;
}

TEST(DesktopScale, OriginalSizePictureIsDrawnOnePixelPerScreenPixelAtScaleFactorTwo) {
  TP_REQUIRE_XSERVER();
  TempDir work, tmp, runtime;
  ::chmod(runtime.path().c_str(), 0700);
  ProjectFolder project(work / "show");
  project.SetSettings("[Default]\r\nStretch=0\r\nProportional=0\r\nDuration=60\r\nTransition=0\r\nDirectX=0\r\n");
  Bitmap32 board(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) board.at(x, y) = (x + y) % 2 ? kDark : kLight;
  WriteBmpFile(board, work / "show/files/board.bmp");
  ASSERT_EQ(project.Pack(work / "Board.scr"), 0);

  const std::string events = work / "events.log";
  const pid_t pid = Spawn({work / "Board.scr", "/s"},
                          {"QT_QPA_PLATFORM=xcb", "QT_SCALE_FACTOR=2", "TMPDIR=" + tmp.path(),
                           "XDG_RUNTIME_DIR=" + runtime.path(), "TIDEPOOL_EVENT_LOG=" + events});
  ASSERT_GT(pid, 0);
  // The Xvfb screen is 640 x 480: the picture stands at ((640 - 64) / 2, (480 - 48) / 2).
  bool sharp = false;
  Bitmap32 screen;
  for (int i = 0; i < 300 && !sharp; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    screen = ReadScreen();
    sharp = ShowsCheckerboard(screen, 288, 216, 64, 48);
  }
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExitWithin(pid, 30000), 0);
  EXPECT_TRUE(sharp) << "the checkerboard is not drawn 1:1 at the screen's centre; at (288, 216) the screen shows "
                     << std::hex << (screen.empty() ? 0u : screen.at(288, 216));
  bool opened = false;
  for (const std::string& line : ReadLines(events))
    opened = opened || line.find("display open 640x480 full-screen") != std::string::npos;
  EXPECT_TRUE(opened) << "the show did not take the screen's size in its own pixels";
  EXPECT_TRUE(tmp.List().empty());
}

TEST(DesktopScale, BarePlayerAsksForASaverFileInsteadOfSayingItHasNone) {
  TP_REQUIRE_XSERVER();
  TempDir work, tmp, runtime;
  ::chmod(runtime.path().c_str(), 0700);
  const std::string events = work / "events.log";
  const pid_t pid = Spawn({PlayerPath()}, {"QT_QPA_PLATFORM=xcb", "TMPDIR=" + tmp.path(),
                                          "XDG_RUNTIME_DIR=" + runtime.path(), "TIDEPOOL_EVENT_LOG=" + events});
  ASSERT_GT(pid, 0);
  bool asked = false;
  for (int i = 0; i < 300 && !asked; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (const std::string& line : ReadLines(events)) asked = asked || line.find(" ask-saver-file") != std::string::npos;
  }
  ::kill(pid, SIGTERM);
  WaitExitWithin(pid, 30000);
  EXPECT_TRUE(asked);
  for (const std::string& line : ReadLines(events)) EXPECT_EQ(line.find(" message "), std::string::npos) << line;
  EXPECT_TRUE(tmp.List().empty());
}

}  // namespace
}  // namespace tp::test
