// The show inside a host's window: the host-window display, window ids, and SIGTERM as a
// close request. Drawing tests run on the private Xvfb server.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

#include "e2e/PreviewXServer.h"
#include "platform/x11/HostWindowDisplay.h"
#include "platform/TerminationSignals.h"
#include "platform/x11/WindowId.h"

namespace tp {
namespace {

using test::HelperWindow;

struct CloseCounter : InputHandler {
  void OnMouseMove(int, int) override {}
  void OnMouseDown(MouseButton) override {}
  void OnKeyDown(int) override {}
  void OnKeyPress(char32_t) override {}
  void OnCloseRequest() override { ++closes; }
  int closes = 0;
};

TEST(WindowId, AcceptsDecimalAndHexAndRejectsEverythingElse) {
  EXPECT_EQ(ParseWindowId("1234"), 1234ul);
  EXPECT_EQ(ParseWindowId("0x3a00007"), 0x3a00007ul);
  EXPECT_EQ(ParseWindowId("0X3A00007"), 0x3a00007ul);  // the handle argument comes upper-cased
  EXPECT_EQ(ParseWindowId("4294967295"), 4294967295ul);
  for (const char* bad : {"", "0", "0x", "0x0", "-1", "+5", " 12", "12 ", "12x", "1e3", "0x12g",
                          "99999999999999999999999"}) {
    EXPECT_EQ(ParseWindowId(bad), std::nullopt) << '"' << bad << '"';
  }
}

TEST(HostWindowDisplay, DrawsFramesIntoTheHostWindowAtItsSize) {
  TP_REQUIRE_XSERVER();
  HelperWindow host(200, 100, 0x808000);
  CloseCounter handler;
  HostWindowDisplay display(std::make_unique<ForeignWindow>(host.id()), &handler, nullptr);
  ASSERT_EQ(display.ScreenWidth(), 200);
  ASSERT_EQ(display.ScreenHeight(), 100);

  // Window drawing: a block placed 1:1 and clipped at the window's edge.
  display.FillBlack();
  Bitmap32 block(50, 40);
  block.Fill(MakePixel(200, 10, 10));
  display.Present(block, 170, 10);
  Bitmap32 shown = host.Read();
  EXPECT_EQ(shown.at(170, 10), MakePixel(200, 10, 10));
  EXPECT_EQ(shown.at(199, 49), MakePixel(200, 10, 10));
  EXPECT_EQ(shown.at(169, 10), 0u);
  EXPECT_EQ(shown.at(170, 50), 0u);
  Bitmap32 captured;
  display.Capture(captured);
  EXPECT_EQ(captured, shown);

  // The scaled path: a square 2 x 2 back surface keeps its shape in the 2:1 window,
  // centred between black bars, its two colours blended where they meet.
  ASSERT_TRUE(display.InitScaled(2, 2, 32));
  Bitmap32 halves(2, 2);
  for (int y = 0; y < 2; ++y) {
    halves.at(0, y) = MakePixel(0, 0, 255);
    halves.at(1, y) = MakePixel(255, 255, 0);
  }
  display.PresentScaled(halves);
  shown = host.Read();
  EXPECT_EQ(shown.at(49, 50), 0u);
  EXPECT_EQ(shown.at(150, 50), 0u);
  EXPECT_EQ(shown.at(50, 0), MakePixel(0, 0, 255));
  EXPECT_EQ(shown.at(50, 99), MakePixel(0, 0, 255));
  EXPECT_EQ(shown.at(149, 99), MakePixel(255, 255, 0));
  const Pixel middle = shown.at(100, 50);
  EXPECT_NE(middle, MakePixel(0, 0, 255));
  EXPECT_NE(middle, MakePixel(255, 255, 0));
  EXPECT_NE(middle, 0u);
  display.CaptureBackSurface(captured);
  EXPECT_EQ(captured, halves);
  EXPECT_EQ(handler.closes, 0);
}

TEST(HostWindowDisplay, AVanishedHostWindowClosesTheShowOnce) {
  TP_REQUIRE_XSERVER();
  HelperWindow host(40, 30, 0);
  CloseCounter handler;
  HostWindowDisplay display(std::make_unique<ForeignWindow>(host.id()), &handler, nullptr);
  host.Destroy();
  Bitmap32 frame(40, 30);
  display.Present(frame, 0, 0);
  display.FillBlack();
  EXPECT_EQ(handler.closes, 1);
}

TEST(CloseRelay, HandsARequestToTheOpenHandlerOrKeepsItForTheNext) {
  CloseRelay relay;
  CloseCounter first, second;
  relay.RequestClose();  // before any display: kept
  relay.Attach(&first);
  EXPECT_EQ(first.closes, 1);
  relay.RequestClose();
  EXPECT_EQ(first.closes, 2);
  relay.Detach(&first);
  relay.Attach(&second);
  EXPECT_EQ(second.closes, 0);  // the kept request was used up by the first
  relay.Detach(&second);
  relay.RequestClose();
  EXPECT_EQ(first.closes, 2);
  EXPECT_EQ(second.closes, 0);
}

// Each of the four signals raises the flag and reaches every watcher; a watcher made
// after the signal hears of it at once; a watcher that is gone hears nothing.
TEST(TerminationSignals, EverySignalReachesEveryWatcherAndLaterOnesAtOnce) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
    ForgetTerminationRequest();
    std::mutex m;
    std::condition_variable cv;
    int first = 0, second = 0, gone = 0;
    auto counter = [&](int& n) {
      return [&m, &cv, &n] {
        std::lock_guard<std::mutex> lock(m);
        ++n;
        cv.notify_all();
      };
    };
    {
      TerminationSignals a(counter(first));
      TerminationSignals b(counter(second));
      { TerminationSignals c(counter(gone)); }
      EXPECT_FALSE(TerminationRequested());
      raise(sig);
      EXPECT_TRUE(TerminationRequested()) << sig;
      std::unique_lock<std::mutex> lock(m);
      EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return first >= 1 && second >= 1; })) << sig;
    }
    int late = 0;
    TerminationSignals d([&] { ++late; });
    EXPECT_EQ(late, 1) << sig;
    EXPECT_EQ(gone, 0) << sig;
  }
  ForgetTerminationRequest();
}

}  // namespace
}  // namespace tp
