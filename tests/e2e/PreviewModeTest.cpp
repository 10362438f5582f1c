// The real player in mode P and inside a host window, on the private Xvfb server, with
// savers built by tidepool-pack.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/PreviewXServer.h"
#include "e2e/SpawnedProcess.h"
#include "imaging/ImageWriter.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::HelperWindow;
using test::NearColour;
using test::Spawn;
using test::WaitExit;

constexpr unsigned long kBackground = 0x808000;
constexpr Pixel kTop = MakePixel(230, 30, 30);
constexpr Pixel kBottom = MakePixel(30, 30, 230);

fs::path BinaryPath(const std::string& name) {
  const char* dir = std::getenv("TIDEPOOL_BIN_DIR");
  const fs::path base = dir ? dir : ".";
  for (const fs::path& p : {base / name, base / "src" / name, base / "tools" / name}) {
    if (fs::exists(p)) return p;
  }
  return base / name;
}

void WriteJpeg(const fs::path& path, int w, int h, Pixel top, Pixel bottom) {
  Bitmap32 picture(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) picture.at(x, y) = y < h / 2 ? top : bottom;
  }
  const std::vector<uint8_t> jpeg = EncodeJpeg(picture, 95);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()),
                                              std::streamsize(jpeg.size()));
}

class PreviewModeRun : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tidepool-preview-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "project" / "files");
    fs::create_directories(root_ / "tmp");
    fs::create_directories(root_ / "runtime");
    fs::permissions(root_ / "runtime", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(root_); }

  // A saver with one picture, with or without a preview picture.
  fs::path MakeSaver(bool withPreview) {
    const fs::path project = root_ / "project";
    WriteJpeg(project / "files" / "picture.jpg", 64, 48, MakePixel(20, 200, 20), MakePixel(20, 200, 20));
    std::ofstream settings(project / "settings.ini");
    settings << "[General]\r\nProductName=Preview test\r\n[Default]\r\nDuration=5\r\n";
    if (withPreview) {
      WriteJpeg(project / "files" / "preview.jpg", 30, 40, kTop, kBottom);
      settings << "[Advance]\r\nPreviewFile=preview.jpg\r\n";
    }
    settings.close();
    const fs::path saver = root_ / "test.scr";
    const pid_t pack = Spawn({BinaryPath("tidepool-pack").string(), "--player",
                              BinaryPath("tidepool").string(), project.string(), saver.string()},
                             {});
    EXPECT_EQ(WaitExit(pack), 0) << "tidepool-pack failed";
    return saver;
  }

  std::string TmpEnv() const { return "TMPDIR=" + (root_ / "tmp").string(); }
  // The desktop toolkit puts its runtime folder under TMPDIR when XDG_RUNTIME_DIR is unset;
  // keep it elsewhere so only the player's own files are looked for.
  std::string RuntimeEnv() const { return "XDG_RUNTIME_DIR=" + (root_ / "runtime").string(); }
  bool TmpEmpty() const { return fs::is_empty(root_ / "tmp"); }

  fs::path root_;
};

TEST_F(PreviewModeRun, DrawsThePreviewPictureStretchedIntoTheHostWindowAndLeavesNoFiles) {
  TP_REQUIRE_XSERVER();
  const fs::path saver = MakeSaver(true);
  HelperWindow host(152, 112, kBackground);

  const pid_t pid = Spawn({BinaryPath("tidepool").string(), "--project", saver.string(), "/p",
                           host.idText()}, {TmpEnv(), RuntimeEnv()});
  ASSERT_EQ(WaitExit(pid), 0);

  const Bitmap32 shown = host.Read();
  EXPECT_TRUE(NearColour(shown.at(0, 0), kTop, 24));
  EXPECT_TRUE(NearColour(shown.at(151, 50), kTop, 24));
  EXPECT_TRUE(NearColour(shown.at(0, 60), kBottom, 24));
  EXPECT_TRUE(NearColour(shown.at(151, 111), kBottom, 24));
  EXPECT_TRUE(TmpEmpty()) << "the extraction folder was left behind";
}

TEST_F(PreviewModeRun, WithoutAPreviewPictureTheHostWindowStaysUntouched) {
  TP_REQUIRE_XSERVER();
  const fs::path saver = MakeSaver(false);
  HelperWindow host(50, 40, kBackground);

  const pid_t pid = Spawn({BinaryPath("tidepool").string(), "--project", saver.string(), "/p",
                           host.idText()}, {TmpEnv(), RuntimeEnv()});
  ASSERT_EQ(WaitExit(pid), 0);

  const Bitmap32 shown = host.Read();
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) ASSERT_EQ(shown.at(x, y), Pixel(kBackground)) << x << "," << y;
  }
  EXPECT_TRUE(TmpEmpty());
}

TEST_F(PreviewModeRun, ShowInAHostWindowDrawsThePicturesAndEndsCleanlyOnSigterm) {
  TP_REQUIRE_XSERVER();
  const fs::path saver = MakeSaver(false);
  HelperWindow host(120, 90, kBackground);

  const pid_t pid = Spawn({BinaryPath("tidepool").string(), "--project", saver.string(), "/s",
                           "--window-id", host.idText()}, {TmpEnv(), RuntimeEnv()});
  ASSERT_GT(pid, 0);
  // The picture (green, stretched over the window) appears within a few seconds.
  bool green = false;
  for (int i = 0; i < 100 && !green; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const Bitmap32 shown = host.Read();
    green = NearColour(shown.at(5, 5), MakePixel(20, 200, 20), 24) &&
            NearColour(shown.at(114, 84), MakePixel(20, 200, 20), 24);
  }
  EXPECT_TRUE(green) << "the show never drew its picture into the host window";
  EXPECT_FALSE(TmpEmpty()) << "the project should be unpacked while the show runs";
  ::kill(pid, SIGTERM);
  EXPECT_EQ(test::WaitExitWithin(pid, 15000), 0) << "the show did not end on SIGTERM";
  EXPECT_TRUE(TmpEmpty()) << "the extraction folder was left behind";
}

// A folder show's preview: the picture the show would deal next, fitted into the host
// window (here between black bars), upright, with the index kept in the cache folder.
TEST_F(PreviewModeRun, AFolderShowPreviewDrawsItsNextPictureFittedIntoTheHostWindow) {
  TP_REQUIRE_XSERVER();
  const fs::path photos = root_ / "photos";
  fs::create_directories(photos);
  WriteJpeg(photos / "wide.jpg", 160, 80, kTop, kBottom);
  HelperWindow host(120, 90, kBackground);
  const pid_t pid = Spawn({BinaryPath("tidepool").string(), "--pictures", photos.string(), "--fill", "bars", "/p",
                           host.idText()},
                          {TmpEnv(), RuntimeEnv(), "HOME=" + (root_ / "home").string(),
                           "XDG_CACHE_HOME=" + (root_ / "cache").string(),
                           "XDG_CONFIG_HOME=" + (root_ / "config").string()});
  ASSERT_EQ(WaitExit(pid), 0);

  // 160 x 80 fitted to 120 x 60, from row 15 to row 74.
  const Bitmap32 shown = host.Read();
  EXPECT_TRUE(NearColour(shown.at(60, 5), MakePixel(0, 0, 0), 8));
  EXPECT_TRUE(NearColour(shown.at(2, 20), kTop, 24));
  EXPECT_TRUE(NearColour(shown.at(117, 40), kTop, 24));
  EXPECT_TRUE(NearColour(shown.at(60, 70), kBottom, 24));
  EXPECT_TRUE(NearColour(shown.at(60, 85), MakePixel(0, 0, 0), 8));
  EXPECT_TRUE(fs::exists(root_ / "cache" / "tidepool")) << "the index was not kept in the cache folder";
  EXPECT_FALSE(fs::exists(root_ / "home")) << "the preview wrote into the home folder";
  EXPECT_TRUE(TmpEmpty());
}

// Mode P waiting for a host window that is never shown ends on SIGTERM at once, with
// its unpacked project removed.
TEST_F(PreviewModeRun, SigtermWhileWaitingForTheHostWindowCleansUp) {
  TP_REQUIRE_XSERVER();
  const fs::path saver = MakeSaver(true);
  HelperWindow host(50, 40, kBackground, /*mapped=*/false);
  const pid_t pid = Spawn({BinaryPath("tidepool").string(), "--project", saver.string(), "/p",
                           host.idText()}, {TmpEnv(), RuntimeEnv()});
  ASSERT_GT(pid, 0);
  bool unpacked = false;
  for (int i = 0; i < 100 && !unpacked; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    unpacked = !TmpEmpty();
  }
  ASSERT_TRUE(unpacked);
  ::kill(pid, SIGTERM);
  // Well before the 10 s the wait would last.
  EXPECT_EQ(test::WaitExitWithin(pid, 5000), 0);
  EXPECT_TRUE(TmpEmpty()) << "the extraction folder was left behind";
}

// A show inside a host window that goes away ends soon, although a one-picture show draws
// nothing more after its first frame.
TEST_F(PreviewModeRun, AShowEndsWhenItsHostWindowIsDestroyed) {
  TP_REQUIRE_XSERVER();
  const fs::path saver = MakeSaver(false);
  auto host = std::make_unique<HelperWindow>(120, 90, kBackground);
  const pid_t pid = Spawn({BinaryPath("tidepool").string(), "--project", saver.string(), "/s",
                           "--window-id", host->idText()}, {TmpEnv(), RuntimeEnv()});
  ASSERT_GT(pid, 0);
  bool green = false;
  for (int i = 0; i < 100 && !green; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    green = NearColour(host->Read().at(5, 5), MakePixel(20, 200, 20), 24);
  }
  ASSERT_TRUE(green) << "the show never drew into the host window";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // past the first frame
  host.reset();
  EXPECT_EQ(test::WaitExitWithin(pid, 3000), 0) << "the show did not notice its host had gone";
  EXPECT_TRUE(TmpEmpty()) << "the extraction folder was left behind";
}

// The X server dies under a running show (in a host window, and in windows of its own):
// the show ends without a crash and removes its unpacked project.
TEST_F(PreviewModeRun, AShowWhoseXServerDiesEndsAndCleansUp) {
  TP_REQUIRE_XSERVER();
  const fs::path saver = MakeSaver(false);
  for (bool inHostWindow : {true, false}) {
    test::XvfbServer server(false);
    if (server.name().empty()) GTEST_SKIP() << server.error();
    std::vector<std::string> args = {BinaryPath("tidepool").string(), "--project", saver.string(), "/s"};
    // The root window of that server stands for the host's window.
    if (inHostWindow) args.push_back("--root");
    const std::vector<std::string> env = {TmpEnv(), RuntimeEnv(), "DISPLAY=" + server.name(),
                                          "QT_QPA_PLATFORM=xcb", "SDL_AUDIODRIVER=dummy"};
    const pid_t pid = Spawn(args, env);
    ASSERT_GT(pid, 0);
    bool unpacked = false;
    for (int i = 0; i < 100 && !unpacked; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      unpacked = !TmpEmpty();
    }
    ASSERT_TRUE(unpacked) << inHostWindow;
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // the show is running
    server.Kill();
    const int code = test::WaitExitWithin(pid, 10000);
    EXPECT_GE(code, 0) << inHostWindow << ": still running";
    EXPECT_LT(code, 128) << inHostWindow << ": ended by signal " << code - 128;
    EXPECT_TRUE(TmpEmpty()) << inHostWindow << ": the extraction folder was left behind";
  }
}

}  // namespace
}  // namespace tp
