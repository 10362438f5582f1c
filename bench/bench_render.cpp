// The animation engine's frame against its baselines, measured in the same run:
//   render_frame_vs_memcpy        RenderFrame at 1920x1080 (40 % of the pixels water in two
//                                 areas, one of them reflecting, 5 moving objects, 1000
//                                 snowflakes, 33 ms of show time per frame) over a memcpy
//                                 of one frame
//   render_allocations_per_frame  heap allocations the rendering thread makes per frame
//                                 (every operator new on that thread is counted; the
//                                 objects' own threads are not)
//   resize_project_ms             ResizeProject of a 1600x1200 packaged picture to 1920x1080
//                                 (including the copy of the picture and mask it starts from)
//   stretch_lanczos_ms            StretchLanczos of the same picture to the same size
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

#include "animation/AnimEngine.h"
#include "imaging/ImageWriter.h"
#include "imaging/Resample.h"
#include "platform/Clock.h"
#include "project/PackagedPicture.h"
#include "project/PackagedPictureWriter.h"
#include "support/AllocationCounter.h"
#include "support/BenchReport.h"


namespace {

using namespace tp;

// The show's clock as the engine sees it at 30 frames per second: every measured frame
// comes 33 ms after the one before (frames rendered back to back would see 0 or 1 ms pass,
// so the waves and flakes would hardly move). Sleep is real time for the objects' threads.
class ShowClock : public Clock {
 public:
  uint32_t Tick() override { return now_.load(); }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  void NextFrame() { now_ += 33; }

 private:
  std::atomic<uint32_t> now_{1000};
};

Bitmap32 Scene(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    Pixel* row = b.scanline(y);
    for (int x = 0; x < w; ++x)
      row[x] = MakePixel(uint8_t(x * 255 / w), uint8_t(y * 255 / h), uint8_t((x ^ y) & 0xFF), 255);
  }
  return b;
}

// The benchmark's packaged picture: the lower 40 % of the rows is water, the left half
// reflecting (area 1) and the right half rippling only (area 2).
void MakeLake(TProject& p, int w, int h, const std::string& objectFile) {
  p.picture = Scene(w, h);
  p.areaMask.SetSize(w, h);
  p.areaMask.Fill(kAreaMaskColors[0]);
  for (int y = h - h * 2 / 5; y < h; ++y)
    for (int x = 0; x < w; ++x) p.areaMask.at(x, y) = kAreaMaskColors[x < w / 2 ? 1 : 2];
  p.wave(0).Reflection = true;
  p.wave(0).Amplitude = 6;
  p.wave(1).Amplitude = 4;
  p.wave(1).HorizontalWave = true;
  p.weather = TWeatherParam{kWeatherSnow, 1000, 8, 0, 0, 9};
  std::string text;
  for (int i = 0; i < 5; ++i) {
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\nFilename=" + objectFile +
            "\r\nWidth=64\r\nHeight=48\r\nMotion=2\r\nMotionSpeed=15\r\nPosLeft=" + std::to_string(200 + 300 * i) +
            "\r\nPosTop=" + std::to_string(100 + 60 * i) + "\r\nOpacity=8\r\n";
  }
  p.animationText = text;
  p.pictureWidth = w;
  p.pictureHeight = h;
}

struct RenderSetup {
  ShowClock clock;
  std::filesystem::path dir;
  TProject project;
  std::unique_ptr<TAnimEngine> engine;

  RenderSetup() {
    dir = std::filesystem::temp_directory_path() / ("tidepool-bench-render-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Bitmap32 sprite = Scene(64, 48);
    sprite.at(0, 47) = MakePixel(255, 0, 255, 255);
    const std::string file = (dir / "sprite.bmp").string();
    WriteBmpFile(sprite, file);
    engine = std::make_unique<TAnimEngine>(&clock);  // installs the object builder
    MakeLake(project, 1920, 1080, file);
    ReloadObjects();
    engine->SetProject(project);
    engine->SetWeather(false);
    engine->Start();
    engine->SetWeather(true);
  }
  ~RenderSetup() {
    engine.reset();
    project.animObjects.reset();
    std::filesystem::remove_all(dir);
  }
  void ReloadObjects();
};

void RenderSetup::ReloadObjects() {
  // A round trip through the file format gives the project its objects as a load would.
  const std::vector<uint8_t> bytes = EncodePackagedPicture(project, 95);
  TProject loaded;
  loaded.LoadPackagedPictureFrom(bytes.data(), bytes.size());
  project.animObjects = loaded.animObjects;
  project.picture = Scene(1920, 1080);  // the exact picture, not its JPEG
}

RenderSetup& Setup() {
  static RenderSetup setup;
  return setup;
}

void BM_RenderFrame(benchmark::State& state) {
  RenderSetup& s = Setup();
  for (auto _ : state) {
    s.clock.NextFrame();
    s.engine->RenderFrame();
    benchmark::DoNotOptimize(s.engine->GetFrame().data());
  }
}
BENCHMARK(BM_RenderFrame)->Unit(benchmark::kMillisecond);

void BM_MemcpyFrame(benchmark::State& state) {
  Bitmap32 a(1920, 1080), b(1920, 1080);
  a.Fill(0x123456);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.pixelCount() * sizeof(Pixel));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMillisecond);

struct Figures {
  Figures() {
    RenderSetup& s = Setup();
    Bitmap32 a(1920, 1080), b(1920, 1080);
    a.Fill(0x123456);
    const double render = bench::MedianSeconds(
        [&] {
          s.clock.NextFrame();
          s.engine->RenderFrame();
        },
        30, 1.0);
    const double copy = bench::MedianSeconds(
        [&] {
          std::memcpy(b.data(), a.data(), a.pixelCount() * sizeof(Pixel));
          benchmark::ClobberMemory();
        },
        30, 0.5);
    bench::Figure("render_frame_vs_memcpy", render / copy);

    const long before = bench::ThreadAllocations();
    for (int i = 0; i < 100; ++i) {
      s.clock.NextFrame();
      s.engine->RenderFrame();
    }
    bench::Figure("render_allocations_per_frame", double(bench::ThreadAllocations() - before) / 100.0);

    const Bitmap32 source = Scene(1600, 1200);
    const double resize = bench::MedianSeconds(
        [&] {
          TProject p;
          p.picture = source;
          p.areaMask.SetSize(1600, 1200);
          p.areaMask.Fill(kAreaMaskColors[1]);
          TAnimEngine::ResizeProject(false, p, 1920, 1080);
        },
        5, 1.0);
    Bitmap32 out(1920, 1080);
    const double lanczos = bench::MedianSeconds([&] { StretchLanczos(source, out); }, 5, 1.0);
    bench::Figure("resize_project_ms", resize * 1000.0);
    bench::Figure("stretch_lanczos_ms", lanczos * 1000.0);
  }
};

}  // namespace

int main(int argc, char** argv) {
  Figures figures;
  return tp::bench::RunAndReport(argc, argv);
}
