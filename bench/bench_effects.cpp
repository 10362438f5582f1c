// Every transition effect at 1920x1080 and P = 50 against a memcpy of one frame, measured
// in the same run (thread CPU time, medians; the memcpy is timed beside each effect):
//   effect_NNN_vs_memcpy            one effect's drawing time over the memcpy time
//   effects_median_vs_memcpy        the median of those ratios (goal: at most 4)
//   effects_worst_vs_memcpy         the largest ratio (goal: at most 12)
//   transition_frames_median        steps a 2000 ms transition takes with the median
//   transition_frames_worst         effect / the slowest one: a real RunTransition on a
//                                   steady clock and a display that copies each frame into
//                                   its screen bitmap (2000 div (first frame + 1 ms))
//   pixel_block_allocations_per_frame  most heap allocations one frame of a pixel or block
//                                   family effect makes after its first frame
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "core/ProgramRandom.h"
#include "effects/EffectCatalogue.h"
#include "imaging/Bitmap32.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "presentation/TransitionDriver.h"
#include "support/AllocationCounter.h"
#include "support/BenchReport.h"


namespace {

using namespace tp;

constexpr int kW = 1920, kH = 1080, kProgress = 50;

Bitmap32 MakePicture(uint32_t seed) {
  Bitmap32 b(kW, kH);
  for (int y = 0; y < kH; ++y) {
    Pixel* row = b.scanline(y);
    for (int x = 0; x < kW; ++x) {
      seed = seed * 1664525u + 1013904223u;
      row[x] = MakePixel(uint8_t(x * 255 / kW), uint8_t(y * 255 / kH), uint8_t(seed >> 24), 255);
    }
  }
  return b;
}

struct Pictures {
  Bitmap32 oldPicture = MakePicture(1);
  Bitmap32 newPicture = MakePicture(2);
  Bitmap32 work = Bitmap32(kW, kH);
  int x = 0, y = 0;
  Pictures() { TransitionExtents(kW, kH, kProgress, x, y); }

  void Reset() { std::memcpy(work.data(), oldPicture.data(), oldPicture.pixelCount() * sizeof(Pixel)); }
  void Draw(int effect) {
    FindEffect(effect)->draw(work, newPicture, kW, kH, x, y, kProgress);
  }
};

Pictures& Shared() {
  static Pictures pictures;
  return pictures;
}

// Thread CPU time: on a shared machine it leaves out the time the thread waits to run,
// which wall time would charge to whichever effect happened to be measured then.
double Now() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Median seconds of fn over at least minRuns calls and minSeconds, with `prepare` run
// untimed before each call.
template <class Prepare, class Fn>
double MedianTimed(Prepare prepare, Fn fn, int minRuns, double minSeconds) {
  std::vector<double> times;
  const double start = Now();
  while (int(times.size()) < minRuns || Now() - start < minSeconds) {
    prepare();
    const double t0 = Now();
    fn();
    times.push_back(Now() - t0);
    if (times.size() > 20000) break;
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The driver on a steady millisecond clock and a screen that keeps a copy of each frame.
class SteadyClock : public Clock {
 public:
  uint32_t Tick() override {
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

class CopyingDisplay : public Display {
 public:
  explicit CopyingDisplay(const Bitmap32& shown) : screen_(shown) {}
  int ScreenWidth() const override { return screen_.width(); }
  int ScreenHeight() const override { return screen_.height(); }
  int BitDepth() const override { return 32; }
  void Present(const Bitmap32& b, int, int) override {
    std::memcpy(screen_.data(), b.data(), std::min(b.pixelCount(), screen_.pixelCount()) * sizeof(Pixel));
  }
  void FillBlack() override { screen_.Fill(0); }
  void Capture(Bitmap32& out) override { out = screen_; }
  bool InitScaled(int, int, int) override { return false; }
  bool CanDraw() const override { return false; }
  void PresentScaled(const Bitmap32&) override {}
  void CaptureBackSurface(Bitmap32& out) override { out = Bitmap32(); }
  void ShowCursor(bool) override {}

 private:
  Bitmap32 screen_;
};

// Steps of one whole transition of `effect` lasting about durationMs at 1920x1080.
int TransitionSteps(int effect, int durationMs) {
  Pictures& p = Shared();
  SteadyClock clock;
  CopyingDisplay display(p.oldPicture);
  Bitmap32 oldBuf, newBuf, workBuf;
  const std::vector<int> allowed = {effect};
  TransitionContext context;
  context.display = &display;
  context.clock = &clock;
  context.oldPicture = &oldBuf;
  context.newPicture = &newBuf;
  context.work = &workBuf;
  context.fittedPicture = &p.newPicture;
  context.allowedEffects = &allowed;
  return RunTransition(context, durationMs).steps;
}

bool PixelOrBlockFamily(int n) {
  return n <= 60 || (n >= 121 && n <= 124) || (n >= 130 && n <= 137) || n >= 168;
}

// Table rows for a few members of each family.
void BM_Effect(benchmark::State& state) {
  Pictures& p = Shared();
  const int effect = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    p.Reset();
    state.ResumeTiming();
    p.Draw(effect);
    benchmark::DoNotOptimize(p.work.data());
  }
  state.SetLabel(FindEffect(effect)->name);
}
BENCHMARK(BM_Effect)
    ->Arg(1)->Arg(2)->Arg(3)->Arg(12)->Arg(17)->Arg(61)->Arg(89)->Arg(103)->Arg(121)->Arg(122)->Arg(123)->Arg(124)
    ->Arg(125)->Arg(129)->Arg(138)->Arg(150)->Arg(152)->Arg(164)->Arg(168)
    ->Unit(benchmark::kMillisecond);

void BM_Memcpy1080p(benchmark::State& state) {
  Pictures& p = Shared();
  for (auto _ : state) {
    p.Reset();
    benchmark::DoNotOptimize(p.work.data());
  }
}
BENCHMARK(BM_Memcpy1080p)->Unit(benchmark::kMillisecond);

void BM_HeadlineFigures(benchmark::State& state) {
  for (auto _ : state) {
    Pictures& p = Shared();
    const auto nothing = [] {};
    const auto memcpyFrame = [&] {
      p.Reset();
      benchmark::DoNotOptimize(p.work.data());
    };
    const double memcpySec = MedianTimed(nothing, memcpyFrame, 50, 0.5);

    std::vector<double> ratios, seconds;
    long worstAllocations = 0;
    for (const EffectEntry& e : EffectCatalogue()) {
      ProgramRandom::SetSeed(12345);
      p.Reset();
      p.Draw(e.number);  // first frame: warms caches and per-thread scratch buffers
      if (PixelOrBlockFamily(e.number)) {
        p.Reset();
        const long before = bench::ProcessAllocations();
        p.Draw(e.number);
        worstAllocations = std::max(worstAllocations, bench::ProcessAllocations() - before);
      }
      // The memcpy is timed again beside each effect, so both see the same machine.
      const double localMemcpySec = MedianTimed(nothing, memcpyFrame, 20, 0.02);
      const double sec = MedianTimed([&] { p.Reset(); }, [&] {
        p.Draw(e.number);
        benchmark::DoNotOptimize(p.work.data());
      }, 10, 0.08);
      const double ratio = sec / localMemcpySec;
      char name[32];
      std::snprintf(name, sizeof name, "effect_%03d_vs_memcpy", e.number);
      bench::Figure(name, ratio);
      ratios.push_back(ratio);
      seconds.push_back(sec);
    }
    std::vector<double> sortedRatios = ratios, sortedSeconds = seconds;
    std::sort(sortedRatios.begin(), sortedRatios.end());
    std::sort(sortedSeconds.begin(), sortedSeconds.end());
    const size_t mid = sortedRatios.size() / 2;
    bench::Figure("effects_median_vs_memcpy", sortedRatios[mid]);
    bench::Figure("effects_worst_vs_memcpy", sortedRatios.back());

    bench::Figure("pixel_block_allocations_per_frame", double(worstAllocations));
    const auto slowest = std::max_element(ratios.begin(), ratios.end()) - ratios.begin();
    std::vector<int> byTime(seconds.size());
    for (size_t i = 0; i < byTime.size(); ++i) byTime[i] = int(i) + 1;
    std::sort(byTime.begin(), byTime.end(),
              [&](int a, int b) { return seconds[size_t(a - 1)] < seconds[size_t(b - 1)]; });
    bench::Figure("transition_frames_median", double(TransitionSteps(byTime[mid], 2000)));
    bench::Figure("transition_frames_worst", double(TransitionSteps(byTime.back(), 2000)));
    std::printf("slowest effect: %d \"%s\"; memcpy of one frame %.3f ms\n", int(slowest) + 1,
                EffectCatalogue()[size_t(slowest)].name, memcpySec * 1000.0);
  }
}
BENCHMARK(BM_HeadlineFigures)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

TIDEPOOL_BENCH_MAIN()
