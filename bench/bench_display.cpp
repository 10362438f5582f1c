// The full-screen scaled path on the desktop backend (Qt, offscreen platform), measured
// against a memcpy of the screen's bytes in the same run (thread CPU time, medians, so
// that other processes on the machine count less):
//   scaled_present_vs_memcpy              PresentScaled of one 800x600 back surface on a
//                                         1920x1080 screen (back surface load, stretch
//                                         keeping the aspect ratio, bilinear) over a memcpy
//                                         of the 1920x1080 screen (goal: at most 3)
//   scaled_present_and_repaint_vs_memcpy  the same plus the window's repaint of the whole
//                                         screen, which a 1:1 full-screen frame pays too
#include <benchmark/benchmark.h>

#include <QApplication>

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>
#include <cstring>
#include <memory>

#include "imaging/LetterboxStretch.h"
#include "imaging/Bitmap32.h"
#include "platform/Input.h"
#include "platform/qt/QtDisplay.h"
#include <QWidget>
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
  // Kept until the process ends: a static application torn down by exit() would outlive
  // the platform plugin it was built on and crash in its destructor.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
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
  void Present() { display->PresentScaled(back); }
  void PresentAndRepaint() {
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

void BM_ScaledPresentAndRepaint800x600On1080p(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) f.PresentAndRepaint();
}
BENCHMARK(BM_ScaledPresentAndRepaint800x600On1080p)->Unit(benchmark::kMillisecond);

void BM_LetterboxStretchOnly(benchmark::State& state) {
  const Bitmap32 back = Scene(800, 600);
  Bitmap32 screen(1920, 1080);
  LetterboxStretcher stretcher;
  for (auto _ : state) {
    stretcher.Stretch(back, screen);
    benchmark::DoNotOptimize(screen.data());
  }
}
BENCHMARK(BM_LetterboxStretchOnly)->Unit(benchmark::kMillisecond);

void BM_RepaintOnly1080p(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    f.display->primaryWidget()->update();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_RepaintOnly1080p)->Unit(benchmark::kMillisecond);

void BM_MemcpyScreen1080p(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) f.Memcpy();
}
BENCHMARK(BM_MemcpyScreen1080p)->Unit(benchmark::kMillisecond);

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Median thread CPU seconds of fn over at least `runs` calls.
double MedianCpuSeconds(const std::function<void()>& fn, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double t0 = ThreadSeconds();
    fn();
    times.push_back(ThreadSeconds() - t0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void BM_HeadlineFigures(benchmark::State& state) {
  for (auto _ : state) {
    Fixture& f = Shared();
    f.PresentAndRepaint();  // warm: tables, row buffers, the window's backing store
    const double memcpySec = MedianCpuSeconds([&] { f.Memcpy(); }, 101);
    const double presentSec = MedianCpuSeconds([&] { f.Present(); }, 101);
    const double repaintSec = MedianCpuSeconds([&] { f.PresentAndRepaint(); }, 101);
    bench::Figure("scaled_present_vs_memcpy", presentSec / memcpySec);
    bench::Figure("scaled_present_and_repaint_vs_memcpy", repaintSec / memcpySec);
    std::printf("scaled present %.3f ms, with the repaint %.3f ms, memcpy of the screen %.3f ms (thread CPU)\n",
                presentSec * 1000.0, repaintSec * 1000.0, memcpySec * 1000.0);
  }
}
BENCHMARK(BM_HeadlineFigures)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

TIDEPOOL_BENCH_MAIN()
