// Moving views drawn by the GPU (Mesa's software OpenGL on a private Xvfb, forced on)
// against the CPU path's frames of the same views, and the way back to the CPU when the
// GPU cannot draw.
#include <gtest/gtest.h>

#include <QApplication>
#include <QOpenGLContext>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "imaging/CaptionBitmap.h"
#include "imaging/Draw.h"
#include "photoshow/MovingPhoto.h"
#include "platform/Platform.h"
#include "platform/qt/GlViewWidget.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtPlatform.h"
#include "support/TestPictures.h"

// Xlib's macros (Bool, Status) go after the toolkit's headers.
#include "e2e/PreviewXServer.h"

namespace tp {
namespace {

int g_argc = 1;
char g_arg0[] = "tests_gpu";
char* g_argv[] = {g_arg0, nullptr};

// The Qt platform on the private X server, with the GPU path wanted even on a software
// renderer; installed once, before any window. It stays until the process ends: closing it
// would unload Mesa's driver, whose set-up kept for the process would then look leaked.
class GpuEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string why;
    if (test::StartXServer(&why).empty()) return;
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("TIDEPOOL_GL", "1", 1);
    InstallPlatform(CreateQtPlatform(g_argc, g_argv));
  }
};
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new GpuEnvironment);

#define TP_REQUIRE_QT_ON_X()                                            \
  do {                                                                  \
    TP_REQUIRE_XSERVER();                                               \
    if (!HasPlatform()) GTEST_SKIP() << "no Qt platform on the X server"; \
  } while (0)

struct NoInput : InputHandler {
  void OnMouseMove(int, int) override {}
  void OnMouseDown(MouseButton) override {}
  void OnKeyDown(int) override {}
  void OnKeyPress(char32_t) override {}
};

constexpr int kW = 640, kH = 480;  // the test server's screen

std::unique_ptr<QtDisplay> OpenShow(NoInput& input, bool movingViews = true) {
  DisplayOptions options;
  options.movingViews = movingViews;
  auto display = std::make_unique<QtDisplay>(options, &input);
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  return display;
}

// Lets the windows paint until the screen agrees with want to minDb, for up to 5 s; the
// PSNR of what it showed last.
double ScreenAgreement(const Bitmap32& want) {
  double db = 0;
  for (int i = 0; i < 50 && db < 40; ++i) {
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    QApplication::processEvents();
    db = test::Psnr(test::ReadScreen(), want);
  }
  return db;
}

// A premultiplied caption: white text-like bars fading out to the right, over a soft shadow.
Bitmap32 TestCaption() {
  Bitmap32 c(180, 36);
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const bool bar = (y / 6) % 2 == 1 && x > 6 && x < 170;
      const int a = bar ? 255 - x : 60;
      const int v = bar ? a : 0;
      c.at(x, y) = MakePixel(uint8_t(v), uint8_t(v), uint8_t(v), uint8_t(a));
    }
  return c;
}

struct Scene {
  MovingPhoto photo;
  Bitmap32 caption;
  int captionX = 20, captionY = kH - 60;
  MovingPicture Upload() const {
    MovingPicture m;
    m.picture = &photo.picture;
    m.originalWidth = photo.originalWidth;
    m.originalHeight = photo.originalHeight;
    m.background = &photo.background;
    m.caption = caption.empty() ? nullptr : &caption;
    m.captionX = captionX;
    m.captionY = captionY;
    return m;
  }
  // The CPU path's frame of a view, the caption blended in as the show does.
  Bitmap32 CpuFrame(const PictureView& view) const {
    Bitmap32 frame(kW, kH);
    DrawMovingFrame(photo, view, frame);
    if (!caption.empty()) BlendCaption(caption, frame, captionX, captionY);
    return frame;
  }
};

Scene StrongZoomScene() {
  PhotoLook look;
  look.motion = PhotoMotion::Strong;
  Scene s;
  s.photo = ComposeMoving(test::PhotoLikePicture(1600, 1200), 0, 0, kW, kH, look);
  return s;
}

TEST(GpuViews, FramesAgreeWithTheCpuPathAtZoomsAndOnScreen) {
  TP_REQUIRE_QT_ON_X();
  NoInput input;
  auto display = OpenShow(input);
  ASSERT_TRUE(display->DrawsOnGpu()) << "Mesa's OpenGL on Xvfb is a test dependency";
  Scene scene = StrongZoomScene();
  ASSERT_LT(scene.photo.picture.width(), 1600);  // prepared smaller than the file: kx != 1
  ASSERT_TRUE(display->SetMovingPicture(scene.Upload()));

  const PictureView views[] = {
      {0, 0, kW, kH, 300, 225, 1600 / 1.35, 1200 / 1.35},  // the strongest zoom
      {0, 0, kW, kH, 0, 0, 1600, 1200},                   // the whole picture, shrunk 2.5 times
      {-37, -20, 720, 540, 100.25, 80.5, 1400, 1050},       // off the screen's edges, fractional
  };
  for (const PictureView& view : views) {
    ASSERT_TRUE(display->PresentMovingView(view));
    const Bitmap32 cpu = scene.CpuFrame(view);
    Bitmap32 gpu;
    display->Capture(gpu);
    EXPECT_GE(test::Psnr(gpu, cpu), 35.0) << "source x " << view.sourceX << " width " << view.sourceWidth;
  }
  // What reaches the window, through the toolkit, is that view too.
  ASSERT_TRUE(display->PresentMovingView(views[0]));
  EXPECT_GE(ScreenAgreement(scene.CpuFrame(views[0])), 35.0);
}

TEST(GpuViews, BlurredFillAndCaptionAgreeWithTheCpuPath) {
  TP_REQUIRE_QT_ON_X();
  NoInput input;
  auto display = OpenShow(input);
  ASSERT_TRUE(display->DrawsOnGpu());
  // A wide picture fitted between bands of its blurred fill, as a still one is.
  Scene scene;
  scene.photo = ComposeMoving(test::PhotoLikePicture(1500, 1000), 0, 0, kW, kH, PhotoLook{});
  ASSERT_FALSE(scene.photo.background.empty());
  scene.caption = TestCaption();
  ASSERT_TRUE(display->SetMovingPicture(scene.Upload()));
  const PictureView view{0, 27, kW, 427, 0, 0, 1500, 1000};
  ASSERT_TRUE(display->PresentMovingView(view));
  const Bitmap32 cpu = scene.CpuFrame(view);
  Bitmap32 gpu;
  display->Capture(gpu);
  EXPECT_GE(test::Psnr(gpu, cpu), 35.0);
  // The caption's own rectangle alone, where a wrong blend would show most.
  const int cw = scene.caption.width(), ch = scene.caption.height();
  Bitmap32 gpuCaption(cw, ch), cpuCaption(cw, ch);
  Copy(gpuCaption, 0, 0, cw, ch, gpu, scene.captionX, scene.captionY);
  Copy(cpuCaption, 0, 0, cw, ch, cpu, scene.captionX, scene.captionY);
  EXPECT_GE(test::Psnr(gpuCaption, cpuCaption), 35.0);
}

TEST(GpuViews, BitmapsAfterViewsAndAPartialBitmapKeepTheRestOfTheView) {
  TP_REQUIRE_QT_ON_X();
  NoInput input;
  auto display = OpenShow(input);
  ASSERT_TRUE(display->DrawsOnGpu());
  Scene scene = StrongZoomScene();
  ASSERT_TRUE(display->SetMovingPicture(scene.Upload()));
  const PictureView view{0, 0, kW, kH, 200, 150, 1200, 900};
  ASSERT_TRUE(display->PresentMovingView(view));
  // A small bitmap over the view (as a transition's step may present): the rest is the view.
  Bitmap32 red(100, 80);
  red.Fill(MakePixel(230, 20, 20, 255));
  display->Present(red, 50, 60);
  Bitmap32 want = scene.CpuFrame(view);
  Copy(want, 50, 60, red.width(), red.height(), red, 0, 0);
  Bitmap32 shown;
  display->Capture(shown);
  EXPECT_GE(test::Psnr(shown, want), 35.0);
  EXPECT_EQ(shown.at(100, 100), red.at(0, 0));
  EXPECT_GE(ScreenAgreement(want), 35.0);
}

TEST(GpuViews, TooLargeAPictureOrALostContextLeavesTheFramesToTheCpu) {
  TP_REQUIRE_QT_ON_X();
  NoInput input;
  auto display = OpenShow(input);
  ASSERT_TRUE(display->DrawsOnGpu());
  // Wider than any texture can be: refused, and the next picture is drawn again.
  MovingPhoto strip;
  strip.picture = Bitmap32(40000, 2);
  strip.originalWidth = 40000;
  strip.originalHeight = 2;
  MovingPicture tooWide;
  tooWide.picture = &strip.picture;
  tooWide.originalWidth = 40000;
  tooWide.originalHeight = 2;
  EXPECT_FALSE(display->SetMovingPicture(tooWide));
  Scene scene = StrongZoomScene();
  EXPECT_TRUE(display->SetMovingPicture(scene.Upload()));

  // The window system takes the context away: the display goes on with bitmaps.
  auto* gpu = display->primaryWidget()->findChild<GlViewWidget*>();
  ASSERT_NE(gpu, nullptr);
  emit gpu->context()->aboutToBeDestroyed();
  EXPECT_FALSE(display->PresentMovingView({0, 0, kW, kH, 0, 0, 1600, 1200}));
  EXPECT_FALSE(display->DrawsOnGpu());
  EXPECT_FALSE(display->SetMovingPicture(scene.Upload()));
  const Bitmap32 frame = scene.CpuFrame({0, 0, kW, kH, 0, 0, 1600, 1200});
  display->Present(frame, 0, 0);
  Bitmap32 shown;
  display->Capture(shown);
  EXPECT_EQ(test::Psnr(shown, frame), 99.0);
  EXPECT_GE(ScreenAgreement(frame), 40.0);
}

TEST(GpuViews, OnlyAMovingShowThatWantsItGetsTheGpu) {
  TP_REQUIRE_QT_ON_X();
  NoInput input;
  EXPECT_FALSE(OpenShow(input, false)->DrawsOnGpu());  // savers and still shows: never
  ::setenv("TIDEPOOL_GL", "0", 1);
  auto off = OpenShow(input);
  ::setenv("TIDEPOOL_GL", "1", 1);
  EXPECT_FALSE(off->DrawsOnGpu());
  Scene scene = StrongZoomScene();
  EXPECT_FALSE(off->SetMovingPicture(scene.Upload()));
}

}  // namespace
}  // namespace tp
