// The saver window on the Qt backend (offscreen): what it paints, the input it passes on,
// and a whole show ended by a key.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "imaging/ImageWriter.h"
#include "platform/Platform.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtPlatform.h"
#include "saver/MpfmScrSvr.h"

namespace tp {
namespace {

int g_argc = 1;
char g_arg0[] = "tests_qt";
char* g_argv[] = {g_arg0, nullptr};

// Installs the Qt platform once for the whole test program; it goes before the program's
// static objects do, as the toolkit needs.
class QtPlatformEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { UninstallPlatform(); }
};
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtPlatformEnvironment);

Platform& QtTestPlatform() {
  if (!HasPlatform()) InstallPlatform(CreateQtPlatform(g_argc, g_argv));
  return CurrentPlatform();
}

struct RecordingHandler : InputHandler {
  void OnMouseMove(int x, int y) override { moves.push_back({x, y}); }
  void OnMouseDown(MouseButton) override { ++clicks; }
  void OnKeyDown(int key) override { keys.push_back(key); }
  void OnKeyPress(char32_t ch) override { chars.push_back(ch); }
  std::vector<std::pair<int, int>> moves;
  int clicks = 0;
  std::vector<int> keys;
  std::vector<char32_t> chars;
};

QRgb Rgb(Pixel p) { return qRgb(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)); }

TEST(QtSaverWindow, PaintsPresentedFramesAndPassesOnlyCharacterKeysAsPresses) {
  QtTestPlatform();
  RecordingHandler handler;
  DisplayOptions options;
  options.fullScreen = false;
  options.windowWidth = 200;
  options.windowHeight = 150;
  QtDisplay display(options, &handler);
  ASSERT_EQ(display.ScreenWidth(), 200);
  ASSERT_NE(display.primaryWidget(), nullptr);

  Bitmap32 red(40, 30);
  red.Fill(MakePixel(230, 20, 20, 255));
  display.FillBlack();
  display.Present(red, 50, 60);
  QApplication::processEvents();
  const QImage shown = display.primaryWidget()->grab().toImage();
  EXPECT_EQ(shown.pixel(60, 70) & 0xFFFFFF, Rgb(MakePixel(230, 20, 20)) & 0xFFFFFF);
  EXPECT_EQ(shown.pixel(89, 89) & 0xFFFFFF, Rgb(MakePixel(230, 20, 20)) & 0xFFFFFF);
  EXPECT_EQ(shown.pixel(49, 70) & 0xFFFFFF, 0u);
  EXPECT_EQ(shown.pixel(90, 70) & 0xFFFFFF, 0u);

  QWidget* w = display.primaryWidget();
  QTest::keyClick(w, Qt::Key_Shift);
  QTest::keyClick(w, Qt::Key_Left);
  EXPECT_TRUE(handler.chars.empty());
  EXPECT_EQ(handler.keys.size(), 2u);
  QTest::keyClick(w, Qt::Key_Space);
  QTest::keyClick(w, Qt::Key_A);
  EXPECT_EQ(handler.chars, (std::vector<char32_t>{U' ', U'a'}));
  QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(handler.clicks, 1);

  display.ShowCursor(false);
  EXPECT_EQ(w->cursor().shape(), Qt::BlankCursor);
  display.ShowCursor(true);
  EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
}

TEST(QtSaverWindow, ScaledPathKeepsTheShapeBetweenBlackBarsAndIsTitledWithTheProduct) {
  QtTestPlatform();
  RecordingHandler handler;
  DisplayOptions options;
  options.fullScreen = false;
  options.windowWidth = 160;
  options.windowHeight = 120;
  options.title = "Lake \xC3\xA9t\xC3\xA9";  // UTF-8
  QtDisplay display(options, &handler);
  EXPECT_EQ(display.primaryWidget()->windowTitle(), QString::fromUtf8("Lake \xC3\xA9t\xC3\xA9"));
  ASSERT_TRUE(display.InitScaled(160, 120, 32));
  // 2:1 on a 4:3 window: 160 x 80 at y 20, green left half, blue right half.
  Bitmap32 frame(4, 2);
  frame.Fill(MakePixel(20, 20, 230, 255));
  for (int y = 0; y < 2; ++y) frame.at(0, y) = frame.at(1, y) = MakePixel(20, 230, 20, 255);
  display.PresentScaled(frame);
  QApplication::processEvents();
  const QImage shown = display.primaryWidget()->grab().toImage();
  EXPECT_EQ(shown.pixel(80, 10) & 0xFFFFFF, 0u);
  EXPECT_EQ(shown.pixel(80, 19) & 0xFFFFFF, 0u);
  EXPECT_EQ(shown.pixel(80, 100) & 0xFFFFFF, 0u);
  EXPECT_EQ(shown.pixel(10, 20) & 0xFFFFFF, Rgb(MakePixel(20, 230, 20)) & 0xFFFFFF);
  EXPECT_EQ(shown.pixel(150, 99) & 0xFFFFFF, Rgb(MakePixel(20, 20, 230)) & 0xFFFFFF);
  // The middle is a mix of the two halves, not one of them repeated.
  const QRgb middle = shown.pixel(79, 60);
  EXPECT_GT(qGreen(middle), 20);
  EXPECT_LT(qGreen(middle), 230);
  EXPECT_GT(qBlue(middle), 20);
  EXPECT_LT(qBlue(middle), 230);
  // What a transition captures is what the window shows.
  Bitmap32 captured;
  display.Capture(captured);
  ASSERT_EQ(captured.width(), 160);
  EXPECT_EQ(Rgb(captured.at(79, 60)) & 0xFFFFFF, middle & 0xFFFFFF);
  EXPECT_EQ(captured.at(80, 10) & 0xFFFFFF, 0u);
  Bitmap32 back;
  display.CaptureBackSurface(back);
  EXPECT_EQ(back, frame);

  // A 1:1 frame over the whole window, then the scaled path again: the bars are black.
  Bitmap32 white(160, 120);
  white.Fill(MakePixel(255, 255, 255, 255));
  display.Present(white, 0, 0);
  display.PresentScaled(frame);
  display.Capture(captured);
  EXPECT_EQ(captured.at(80, 10) & 0xFFFFFF, 0u);
  EXPECT_EQ(captured.at(80, 100) & 0xFFFFFF, 0u);

  // A window surface that keeps alpha (as under a Wayland compositor): the bars, whose
  // bytes are all zero, and a picture pixel with a zero alpha byte come out opaque and
  // keep their colours.
  frame.at(3, 1) = MakePixel(20, 20, 230, 0);
  display.PresentScaled(frame);
  QImage surface(160, 120, QImage::Format_ARGB32_Premultiplied);
  surface.fill(Qt::transparent);
  display.primaryWidget()->render(&surface);
  EXPECT_EQ(surface.pixel(80, 10), 0xFF000000u);
  EXPECT_EQ(surface.pixel(80, 100), 0xFF000000u);
  EXPECT_EQ(surface.pixel(150, 99), Rgb(MakePixel(20, 20, 230)) | 0xFF000000u);
}

TEST(QtSaverWindow, ShowDrawsItsPictureAndAKeyWithACharacterEndsIt) {
  Platform& platform = QtTestPlatform();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tp-qt-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  Bitmap32 green(64, 48);
  green.Fill(MakePixel(20, 200, 20, 255));
  WriteBmpFile(green, (dir / "green.bmp").string());

  SaverProject project;
  project.pictures = {(dir / "green.bmp").string()};
  project.selected = {"TRUE"};
  project.settings.transition = false;
  project.settings.music = false;
  project.settings.sound = false;
  project.extractionFolder = dir.string();

  DisplayOptions options;
  options.fullScreen = false;
  options.windowWidth = 320;
  options.windowHeight = 240;
  TMpfmScrSvr window(project, platform, options);
  QImage seen;
  bool pressed = false;
  // Once the show runs: grab what it shows, then press a key that produces a character.
  QTimer::singleShot(400, [&] {
    QWidget* w = static_cast<QtDisplay*>(window.display())->primaryWidget();
    seen = w->grab().toImage();
    QTest::keyClick(w, Qt::Key_Q);
    pressed = true;
  });
  // A safety net: a show that ignores the key would otherwise never end.
  QTimer::singleShot(10000, [&] { window.RequestClose("test timeout"); });
  window.ShowModal();
  std::filesystem::remove_all(dir);

  ASSERT_TRUE(pressed);
  ASSERT_FALSE(seen.isNull());
  // Stretched with its proportions over 320 x 240: the whole window is the picture.
  EXPECT_EQ(seen.pixel(160, 120) & 0xFFFFFF, Rgb(MakePixel(20, 200, 20)) & 0xFFFFFF);
  EXPECT_EQ(seen.pixel(2, 2) & 0xFFFFFF, Rgb(MakePixel(20, 200, 20)) & 0xFFFFFF);
  EXPECT_FALSE(window.idleInstalled());
}

}  // namespace
}  // namespace tp
