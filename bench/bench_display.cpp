// The full-screen scaled path on the desktop backend (Qt, offscreen platform), measured
// against a memcpy of the screen's bytes in the same run:
//   scaled_present_vs_memcpy   presenting one 800x600 back surface on a 1920x1080 screen
//                              (the stretch keeping the aspect ratio, bilinear, and the
//                              window's repaint of the screen) over a memcpy of the
//                              1920x1080 screen (goal: at most 3)
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/AspectStretch.h"
#include "imaging/Bitmap32.h"
#include "platform/Input.h"
#include "platform/qt/QtDisplay.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;

struct NoInput : InputHandler {
  void OnMouseMove(int, int) override {}
  void OnMouseDown(MouseButton) override {}
  void OnKeyDown(int) override {}
  void OnKeyPress(char32_t) override {}
};

Bitmap32 Scene(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.at(x, y) = MakePixel(uint8_t(x * 255 / w), uint8_t(y * 255 / h), uint8_t(((x / 8) ^ (y / 8)) * 37), 255);
  return b;
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_display";
  static char* argv[] = {name, nullptr};
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QApplication app(argc, argv);
  return app;
}

struct Fixture {
  Fixture() {
    App();
    DisplayOptions options;
    options.fullScreen = false;
    options.windowWidth = 1920;
    options.windowHeight = 1080;
    display = std::make_unique<QtDisplay>(options, &input);
    display->InitScaled(800, 600, 32);
    QApplication::processEvents();
  }
  void Present() {
    display->PresentScaled(back);
    QApplication::processEvents();  // the window paints what the display holds
  }
  void Memcpy() {
    std::memcpy(copy.data(), display->screenBitmap().data(), copy.pixelCount() * sizeof(Pixel));
    benchmark::DoNotOptimize(copy.data());
  }
  NoInput input;
  std::unique_ptr<QtDisplay> display;
  Bitmap32 back = Scene(800, 600);
  Bitmap32 copy{1920, 1080};
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_ScaledPresent800x600On1080p(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) f.Present();
}
BENCHMARK(BM_ScaledPresent800x600On1080p)->Unit(benchmark::kMillisecond);

void BM_AspectStretchOnly(benchmark::State& state) {
  const Bitmap32 back = Scene(800, 600);
  Bitmap32 screen(1920, 1080);
  AspectStretcher stretcher;
  for (auto _ : state) {
    stretcher.Stretch(back, screen);
    benchmark::DoNotOptimize(screen.data());
  }
}
BENCHMARK(BM_AspectStretchOnly)->Unit(benchmark::kMillisecond);

void BM_MemcpyScreen1080p(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) f.Memcpy();
}
BENCHMARK(BM_MemcpyScreen1080p)->Unit(benchmark::kMillisecond);

void BM_HeadlineFigures(benchmark::State& state) {
  for (auto _ : state) {
    Fixture& f = Shared();
    f.Present();  // warm: tables, row buffers, the window's backing store
    const double memcpySec = bench::MedianSeconds([&] { f.Memcpy(); }, 50, 0.5);
    const double presentSec = bench::MedianSeconds([&] { f.Present(); }, 50, 0.5);
    bench::Figure("scaled_present_vs_memcpy", presentSec / memcpySec);
    std::printf("scaled present %.3f ms, memcpy of the screen %.3f ms\n", presentSec * 1000.0, memcpySec * 1000.0);
  }
}
BENCHMARK(BM_HeadlineFigures)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

TIDEPOOL_BENCH_MAIN()
