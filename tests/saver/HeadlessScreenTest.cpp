// The headless screen: black until something is presented, a presented bitmap clipped to
// it, and every frame in the frame log with the hash of what was presented.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/Display.h"
#include "platform/Platform.h"
#include "platform/headless/FrameHash.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The hash field of a frame log line ("tick path x y w h hash").
std::string HashOf(const std::string& line) { return line.substr(line.rfind(' ') + 1); }

TEST(HeadlessScreen, StartsBlackAndKeepsWhatWasPresentedClipped) {
  test::TempDir dir;
  const std::string log = dir / "frames.log";
  ::setenv("TIDEPOOL_SCREEN", "64x48", 1);
  ::setenv("TIDEPOOL_FRAME_LOG", log.c_str(), 1);
  {
    std::unique_ptr<Platform> platform = CreateHeadlessPlatform();
    std::unique_ptr<Display> display = platform->CreateDisplay(DisplayOptions{}, nullptr);
    ASSERT_EQ(display->ScreenWidth(), 64);
    ASSERT_EQ(display->ScreenHeight(), 48);

    Bitmap32 shot;
    display->Capture(shot);
    Bitmap32 black(64, 48);
    EXPECT_EQ(shot, black);

    // Hanging over the top-left corner: only its lower-right part lands on the screen.
    Bitmap32 picture(30, 20);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) picture.at(x, y) = MakePixel(uint8_t(x * 8), uint8_t(y * 12), 77, 255);
    display->Present(picture, -10, -5);
    display->Capture(shot);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        const bool covered = x < 20 && y < 15;
        ASSERT_EQ(shot.at(x, y), covered ? picture.at(x + 10, y + 5) : 0u) << x << "," << y;
      }

    // Hanging over the bottom-right corner, drawn over the first.
    display->Present(picture, 50, 40);
    display->Capture(shot);
    EXPECT_EQ(shot.at(50, 40), picture.at(0, 0));
    EXPECT_EQ(shot.at(63, 47), picture.at(13, 7));
    EXPECT_EQ(shot.at(5, 5), picture.at(15, 10));

    display->FillBlack();
    display->FillBlack();
    display->Capture(shot);
    EXPECT_EQ(shot, black);

    const std::vector<std::string> lines = Lines(log);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find(" window -10 -5 30 20 "), std::string::npos) << lines[0];
    // The whole presented bitmap is hashed, not only what the screen shows of it.
    EXPECT_EQ(HashOf(lines[0]), HashHex(FrameHash(picture)));
    EXPECT_EQ(HashOf(lines[1]), HashHex(FrameHash(picture)));
    EXPECT_EQ(HashOf(lines[2]), HashHex(FrameHash(black)));
    EXPECT_EQ(HashOf(lines[3]), HashOf(lines[2]));
  }
  ::unsetenv("TIDEPOOL_SCREEN");
  ::unsetenv("TIDEPOOL_FRAME_LOG");
}

}  // namespace
}  // namespace tp
