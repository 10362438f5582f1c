// Mode P's drawing into a host window, on a private Xvfb server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <stdexcept>
#include <thread>

#include "app/PreviewDrawing.h"
#include "app/PreviewMode.h"
#include "e2e/PreviewXServer.h"
#include "imaging/ImageWriter.h"
#include "platform/x11/ForeignWindow.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::HelperWindow;
using test::NearColour;

constexpr Pixel kRed = MakePixel(230, 20, 20);
constexpr Pixel kGreen = MakePixel(20, 200, 40);
constexpr Pixel kBlue = MakePixel(30, 40, 220);
constexpr Pixel kWhite = MakePixel(250, 250, 250);
constexpr unsigned long kBackground = 0x808000;  // what an untouched helper window shows

// A 64 x 32 JPEG in four solid quadrants: red, green on top; blue, white below.
fs::path WriteQuadrantJpeg(const std::string& name) {
  Bitmap32 picture(64, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      picture.at(x, y) = y < 16 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite);
    }
  }
  const std::vector<uint8_t> jpeg = EncodeJpeg(picture, 95);
  fs::path path = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()) + ".jpg");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()),
                                              std::streamsize(jpeg.size()));
  return path;
}

// The first column of row y whose colour is near `colour`, or -1.
int FirstColumnNear(const Bitmap32& shown, int y, Pixel colour) {
  for (int x = 0; x < shown.width(); ++x) {
    if (NearColour(shown.at(x, y), colour, 40)) return x;
  }
  return -1;
}

bool Untouched(const Bitmap32& shown) {
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      if (shown.at(x, y) != Pixel(kBackground)) return false;
    }
  }
  return true;
}

TEST(PreviewDrawing, StretchesThePictureOverTheWholeHostWindowIgnoringItsProportions) {
  TP_REQUIRE_XSERVER();
  const fs::path jpeg = WriteQuadrantJpeg("quadrants");
  HelperWindow host(152, 112, kBackground);

  DrawPreview(jpeg.string(), host.idText());
  const Bitmap32 shown = host.Read();

  // The four corners come from the four corners of the picture...
  EXPECT_TRUE(NearColour(shown.at(0, 0), kRed, 24));
  EXPECT_TRUE(NearColour(shown.at(151, 0), kGreen, 24));
  EXPECT_TRUE(NearColour(shown.at(0, 111), kBlue, 24));
  EXPECT_TRUE(NearColour(shown.at(151, 111), kWhite, 24));
  // ...and the quadrant borders lie at the middle of the window in both directions, so the
  // 2:1 picture covers the 152 x 112 window exactly.
  const int greenStarts = FirstColumnNear(shown, 20, kGreen);
  EXPECT_NEAR(greenStarts, 76, 3);
  int blueStarts = -1;
  for (int y = 0; y < shown.height() && blueStarts < 0; ++y) {
    if (NearColour(shown.at(20, y), kBlue, 40)) blueStarts = y;
  }
  EXPECT_NEAR(blueStarts, 56, 3);
  fs::remove(jpeg);
}

TEST(PreviewDrawing, DrawsIntoAHostWindowThatBecomesVisibleLater) {
  TP_REQUIRE_XSERVER();
  const fs::path jpeg = WriteQuadrantJpeg("late");
  HelperWindow host(80, 60, kBackground, /*mapped=*/false);

  auto drawing = std::async(std::launch::async, [&] { DrawPreview(jpeg.string(), host.idText()); });
  // Still waiting for the window after a second.
  EXPECT_EQ(drawing.wait_for(std::chrono::seconds(1)), std::future_status::timeout);
  host.Map();
  ASSERT_EQ(drawing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  drawing.get();

  const Bitmap32 shown = host.Read();
  EXPECT_TRUE(NearColour(shown.at(2, 2), kRed, 24));
  EXPECT_TRUE(NearColour(shown.at(77, 57), kWhite, 24));
  fs::remove(jpeg);
}

TEST(PreviewDrawing, FailuresLeaveTheHostWindowUntouched) {
  TP_REQUIRE_XSERVER();
  HelperWindow host(40, 30, kBackground);
  const fs::path jpeg = WriteQuadrantJpeg("failures");

  // Not a JPEG at all.
  const fs::path garbage = fs::temp_directory_path() / ("garbage-" + std::to_string(getpid()) + ".jpg");
  std::ofstream(garbage) << "this is not a picture";
  EXPECT_THROW(DrawPreview(garbage.string(), host.idText()), std::runtime_error);
  // A missing file.
  EXPECT_THROW(DrawPreview((fs::temp_directory_path() / "no-such-preview.jpg").string(), host.idText()),
               std::runtime_error);
  // Handles that are not window ids, and an id of a window that no longer exists.
  for (const char* handle : {"", "12x", "-5", "0", "0x"}) {
    EXPECT_THROW(DrawPreview(jpeg.string(), handle), std::runtime_error) << handle;
  }
  std::string goneId;
  {
    HelperWindow gone(10, 10, kBackground);
    goneId = gone.idText();
  }
  EXPECT_THROW(DrawPreview(jpeg.string(), goneId), std::runtime_error);

  EXPECT_TRUE(Untouched(host.Read()));
  fs::remove(garbage);
  fs::remove(jpeg);
}

TEST(PreviewMode, RemovesTheUnpackedFilesWhetherItDrawsNothingDrawsOrFails) {
  TP_REQUIRE_XSERVER();
  HelperWindow host(30, 20, kBackground);
  const fs::path jpeg = WriteQuadrantJpeg("mode");
  int removals = 0;
  auto remove = [&] { ++removals; };

  // No preview picture: nothing drawn.
  RunPreview(host.idText(), [] { return std::string(); }, remove);
  EXPECT_EQ(removals, 1);
  EXPECT_TRUE(Untouched(host.Read()));

  // A handle that is not a window: the error comes after the clean-up.
  EXPECT_THROW(RunPreview("/P:1", [&] { return jpeg.string(); }, remove), std::runtime_error);
  EXPECT_EQ(removals, 2);
  EXPECT_TRUE(Untouched(host.Read()));

  RunPreview(host.idText(), [&] { return jpeg.string(); }, remove);
  EXPECT_EQ(removals, 3);
  EXPECT_TRUE(NearColour(host.Read().at(0, 0), kRed, 24));
  fs::remove(jpeg);
}

TEST(ForeignWindowWait, GivesUpWhenTheWindowStaysHidden) {
  TP_REQUIRE_XSERVER();
  HelperWindow hidden(20, 20, kBackground, /*mapped=*/false);
  ForeignWindow window(hidden.id());
  EXPECT_FALSE(window.WaitUntilViewable(std::chrono::milliseconds(200), std::chrono::milliseconds(20)));
  hidden.Destroy();
  // A window that disappears while we wait is an error, not an endless wait.
  EXPECT_THROW(window.WaitUntilViewable(std::chrono::seconds(5), std::chrono::milliseconds(20)),
               std::runtime_error);
}

}  // namespace
}  // namespace tp
