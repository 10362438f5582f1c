// A moving show in a host's window drawn by the GPU (GLX on the private Xvfb, Mesa's
// software renderer forced on): the host's window shows the CPU path's frame of the same
// view, bitmaps go on after views, and the host keeps the last frame when the show ends.
#include <gtest/gtest.h>
#include <GL/glx.h>

#include <cstdlib>

#include "e2e/PreviewXServer.h"
#include "imaging/Draw.h"
#include "photoshow/MovingPhoto.h"
#include "platform/x11/HostWindowDisplay.h"
#include "support/TestPictures.h"

namespace tp {
namespace {

using test::HelperWindow;

struct NoInput : InputHandler {
  void OnMouseMove(int, int) override {}
  void OnMouseDown(MouseButton) override {}
  void OnKeyDown(int) override {}
  void OnKeyPress(char32_t) override {}
};

// TIDEPOOL_GL for one test.
class GlSetting {
 public:
  explicit GlSetting(const char* value) { ::setenv("TIDEPOOL_GL", value, 1); }
  ~GlSetting() { ::unsetenv("TIDEPOOL_GL"); }
};

constexpr int kW = 320, kH = 240;

// Mesa unloads its driver when the last connection that used it closes, and what it set up
// once for the process is then reported as leaked, with no stack to tell it by. A
// connection of the test's own keeps a context, and so the driver, until the program ends.
void KeepMesaLoaded() {
  static ::Display* const keeper = [] {
    ::Display* dpy = XOpenDisplay(nullptr);
    int attributes[] = {GLX_RGBA, None};
    if (XVisualInfo* visual = dpy ? glXChooseVisual(dpy, DefaultScreen(dpy), attributes) : nullptr) {
      glXCreateContext(dpy, visual, nullptr, True);
      XFree(visual);
    }
    return dpy;
  }();
  (void)keeper;
}

MovingPicture UploadOf(const MovingPhoto& photo) {
  MovingPicture m;
  m.picture = &photo.picture;
  m.originalWidth = photo.originalWidth;
  m.originalHeight = photo.originalHeight;
  m.background = &photo.background;
  return m;
}

TEST(HostWindowGpu, TheHostsWindowShowsTheViewAsTheCpuWouldDrawIt) {
  TP_REQUIRE_XSERVER();
  KeepMesaLoaded();
  GlSetting forced("1");
  HelperWindow host(kW, kH, 0x808000);
  NoInput input;
  PhotoLook look;
  look.motion = PhotoMotion::Strong;
  const MovingPhoto photo = ComposeMoving(test::PhotoLikePicture(1000, 750), 0, 0, kW, kH, look);
  const PictureView view{0, 0, kW, kH, 120, 90, 1000 / 1.3, 750 / 1.3};
  Bitmap32 cpu(kW, kH);
  DrawMovingFrame(photo, view, cpu);
  {
    HostWindowDisplay display(std::make_unique<ForeignWindow>(host.id()), &input, nullptr, nullptr, true);
    ASSERT_TRUE(display.DrawsOnGpu()) << "Mesa's GLX on Xvfb is a test dependency";
    ASSERT_TRUE(display.SetMovingPicture(UploadOf(photo)));
    ASSERT_TRUE(display.PresentMovingView(view));
    EXPECT_GE(test::Psnr(host.Read(), cpu), 35.0);
    Bitmap32 captured;
    display.Capture(captured);
    EXPECT_GE(test::Psnr(captured, cpu), 35.0);

    // A bitmap over part of it: the rest stays the view.
    Bitmap32 red(60, 40);
    red.Fill(MakePixel(230, 20, 20, 255));
    ASSERT_TRUE(display.PresentMovingView(view));
    display.Present(red, 10, 20);
    Bitmap32 want = cpu;
    Copy(want, 10, 20, red.width(), red.height(), red, 0, 0);
    EXPECT_GE(test::Psnr(host.Read(), want), 35.0);
    ASSERT_TRUE(display.PresentMovingView(view));
  }
  // The show has ended: our window went with it, the host's own shows the last view.
  EXPECT_GE(test::Psnr(host.Read(), cpu), 35.0);
}

TEST(HostWindowGpu, ASoftwareRendererOrNoMotionLeavesTheHostWindowToTheCpu) {
  TP_REQUIRE_XSERVER();
  KeepMesaLoaded();
  HelperWindow host(kW, kH, 0x808000);
  NoInput input;
  {
    HostWindowDisplay display(std::make_unique<ForeignWindow>(host.id()), &input, nullptr, nullptr, true);
    EXPECT_FALSE(display.DrawsOnGpu());  // llvmpipe, not asked for
  }
  GlSetting forced("1");
  HostWindowDisplay still(std::make_unique<ForeignWindow>(host.id()), &input, nullptr, nullptr, false);
  EXPECT_FALSE(still.DrawsOnGpu());
  const MovingPhoto photo = ComposeMoving(test::PhotoLikePicture(400, 300), 0, 0, kW, kH, PhotoLook{});
  EXPECT_FALSE(still.SetMovingPicture(UploadOf(photo)));
  EXPECT_FALSE(still.PresentMovingView({0, 0, kW, kH, 0, 0, 400, 300}));
}

TEST(HostWindowGpu, AHostWindowThatGoesEndsTheShowWithoutDrawingFailures) {
  TP_REQUIRE_XSERVER();
  KeepMesaLoaded();
  GlSetting forced("1");
  HelperWindow host(kW, kH, 0x808000);
  struct Closes : NoInput {
    void OnCloseRequest() override { ++count; }
    int count = 0;
  } input;
  HostWindowDisplay display(std::make_unique<ForeignWindow>(host.id()), &input, nullptr, nullptr, true);
  ASSERT_TRUE(display.DrawsOnGpu());
  const MovingPhoto photo = ComposeMoving(test::PhotoLikePicture(400, 300), 0, 0, kW, kH, PhotoLook{});
  ASSERT_TRUE(display.SetMovingPicture(UploadOf(photo)));
  host.Destroy();
  // Views may still be asked for; the CPU path takes over and the host's going is noticed.
  for (int i = 0; i < 3; ++i) {
    if (!display.PresentMovingView({0, 0, kW, kH, 0, 0, 400, 300})) display.FillBlack();
    display.CheckHost();
  }
  EXPECT_EQ(input.count, 1);
}

}  // namespace
}  // namespace tp
