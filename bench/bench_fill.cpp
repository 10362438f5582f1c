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
#include "support/BenchPictures.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using tp::bench::PhotoLike;

constexpr int kScreenW = 1920, kScreenH = 1080;


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
