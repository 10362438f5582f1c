// The folder show's blurred fill against fitting the picture it surrounds:
//   fill_blur_vs_fit   making the blurred fill of a 1920 x 1080 screen and laying the fitted
//                      picture over it, over fitting the same decoded 24-megapixel photo
//                      (6000 x 4000) to the screen (1620 x 1080, Lanczos), as a picture's
//                      preparation does one after the other
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "imaging/BlurredFill.h"
#include "imaging/Draw.h"
#include "imaging/Resample.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;

constexpr int kScreenW = 1920, kScreenH = 1080;

// Smooth gradients with sensor-like noise, as a photo has.
tp::Bitmap32 PhotoLike(int w, int h) {
  tp::Bitmap32 b;
  b.SetSizeUninitialized(w, h);
  uint32_t seed = 4242;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28) - 8;
      const auto channel = [&](double v) { return uint8_t(std::clamp(int(v) + noise, 0, 255)); };
      b.at(x, y) = MakePixel(channel(128 + 100 * std::sin(x * 0.0021 + y * 0.0013)),
                             channel(128 + 90 * std::cos(x * 0.0017 - y * 0.0029)),
                             channel(96 + 80 * std::sin((x + y) * 0.0011)), 0xFF);
    }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  const Bitmap32 photo = PhotoLike(6000, 4000);
  Bitmap32 fitted;
  fitted.SetSizeUninitialized(1620, 1080);
  const double fitSec = bench::MedianSeconds([&] { StretchLanczos(photo, fitted); }, 5, 1.0);
  const int x = (kScreenW - fitted.width()) / 2;
  const double fillSec = bench::MedianSeconds(
      [&] {
        Bitmap32 screen = BlurredFill(fitted, kScreenW, kScreenH);
        Copy(screen, x, 0, fitted.width(), fitted.height(), fitted, 0, 0);
        benchmark::DoNotOptimize(screen.data());
      },
      9, 1.0);
  bench::Figure("fill_blur_vs_fit", fillSec / fitSec);
  return bench::RunAndReport(argc, argv);
}
