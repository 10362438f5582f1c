// The moving pictures of a folder show:
//   motion_frame_vs_memcpy        one CPU frame of a moving picture: a 1920 x 1080 view of a
//                                 picture prepared at 1.35 times the screen (2592 x 1458), at
//                                 rest (the whole of it shrunk 1.35 times, the costliest view),
//                                 over a memcpy of the frame
//   motion_frame_mid_vs_memcpy    the same halfway along the zoom
//   motion_psnr_db                the closest frame of a strong zoom into a 5184 x 2916 photo
//                                 against ImageMagick's crop of the original resized to the
//                                 screen with Lanczos, in dB
//   motion_psnr_screen_decode_db  the same frame made from the photo decoded at the screen's
//                                 size first and magnified, as a show that prepares at the
//                                 screen's size would
//   motion_frame_gap_vs_frame     the longest time between two frames of a moving folder show
//                                 at 60 frames a second (headless, 1920 x 1080, real clock)
//                                 across a cross-fade to a 24-megapixel photo, over 16.7 ms
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "imaging/Resample.h"
#include "imaging/ScaledView.h"
#include "imaging/import/ImageLoader.h"
#include "photoshow/MovingPhoto.h"
#include "support/BenchFiles.h"
#include "support/BenchPictures.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using tp::bench::PhotoLike;

constexpr int kScreenW = 1920, kScreenH = 1080;


void WritePpm(const Bitmap32& b, const std::string& path) {
  std::vector<uint8_t> rgb(b.pixelCount() * 3);
  for (size_t i = 0; i < b.pixelCount(); ++i) {
    rgb[i * 3] = PixelR(b.data()[i]);
    rgb[i * 3 + 1] = PixelG(b.data()[i]);
    rgb[i * 3 + 2] = PixelB(b.data()[i]);
  }
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << b.width() << " " << b.height() << "\n255\n";
  f.write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
}

double PsnrDb(const Bitmap32& a, const Bitmap32& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.empty()) return -1;
  double sum = 0;
  for (size_t i = 0; i < a.pixelCount(); ++i)
    for (int shift : {0, 8, 16}) {
      const double d = double((a.data()[i] >> shift) & 0xFF) - double((b.data()[i] >> shift) & 0xFF);
      sum += d * d;
    }
  const double mse = sum / (double(a.pixelCount()) * 3);
  return mse <= 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

PhotoLook Strong() { return PhotoLook{PhotoFill::Blur, kDefaultCropLimitPercent, PhotoMotion::Strong}; }

void FrameFigures() {
  // A picture of the screen's shape at 1.35 times its size: strong motion shows it whole
  // at rest and at 1:1 when closest.
  const MovingPhoto m = ComposeMoving(PhotoLike(2592, 1458), 0, 0, kScreenW, kScreenH, Strong());
  const MotionPath path = PathOf(m, {});
  Bitmap32 frame(kScreenW, kScreenH), copy(kScreenW, kScreenH);
  const double memcpySec = bench::MedianSeconds(
      [&] {
        std::memcpy(copy.data(), frame.data(), frame.pixelCount() * sizeof(Pixel));
        benchmark::DoNotOptimize(copy.data());
      },
      50, 0.5);
  for (const auto& [name, u] : {std::pair{"motion_frame_vs_memcpy", 0.0}, std::pair{"motion_frame_mid_vs_memcpy", 0.5}}) {
    const PictureView view = ViewAt(path, u);
    const double frameSec = bench::MedianSeconds(
        [&] {
          DrawMovingFrame(m, view, frame);
          benchmark::DoNotOptimize(frame.data());
        },
        20, 0.5);
    std::printf("%s: frame %.2f ms, memcpy %.2f ms\n", name, frameSec * 1e3, memcpySec * 1e3);
    bench::Figure(name, frameSec / memcpySec);
  }
}

void PsnrFigures() {
  // 2.7 times the screen: strong motion's closest view is the middle 3840 x 2160 at 0.5.
  constexpr int kW = kScreenW * 27 / 10, kH = kScreenH * 27 / 10;
  const Bitmap32 original = PhotoLike(kW, kH);
  const PhotoLook look = Strong();
  const MovingPhoto m = ComposeMoving(original, 0, 0, kScreenW, kScreenH, look);
  const MotionPath path = PathOf(m, {});
  const PictureView close = ViewAt(path, 1);
  Bitmap32 frame(kScreenW, kScreenH);
  DrawMovingFrame(m, close, frame);

  char dirTemplate[] = "/tmp/tp-bench-motion-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  if (dir == nullptr) return;
  const std::string in = std::string(dir) + "/original.ppm", out = std::string(dir) + "/reference.png";
  WritePpm(original, in);
  char command[1024];
  std::snprintf(command, sizeof command,
                "convert '%s' -crop %.0fx%.0f+%.0f+%.0f +repage -filter Lanczos -resize %dx%d! '%s' >/dev/null 2>&1",
                in.c_str(), close.sourceWidth, close.sourceHeight, close.sourceX, close.sourceY, kScreenW, kScreenH,
                out.c_str());
  if (std::system(command) != 0) {
    std::fprintf(stderr, "bench_motion: ImageMagick's convert failed\n");
    return;
  }
  const Bitmap32 reference = LoadImageFile(out);
  bench::Figure("motion_psnr_db", PsnrDb(frame, reference));

  // Decoded at the screen's size first, then magnified for the same view.
  Bitmap32 screenSized(kScreenW, kScreenH), magnified(kScreenW, kScreenH);
  StretchLanczos(original, screenSized);
  const double k = double(kScreenW) / kW;
  DrawScaledView(screenSized, {close.sourceX * k, close.sourceY * k, close.sourceWidth * k, close.sourceHeight * k},
                 magnified, Rect{0, 0, kScreenW, kScreenH});
  bench::Figure("motion_psnr_screen_decode_db", PsnrDb(magnified, reference));
  std::remove(in.c_str());
  std::remove(out.c_str());
  ::rmdir(dir);
}

void FrameGapFigure() {
  bench::ScratchDir home("motion-gap");
  const std::string pictures = home / "pictures";
  ::mkdir(pictures.c_str(), 0755);
  // Name order: the small photo first, the 24-megapixel one due after 2 s.
  if (!bench::WritePhotoJpeg(pictures + "/a.jpg", 1920, 1280) ||
      !bench::WritePhotoJpeg(pictures + "/b.jpg", 6000, 4000))
    return;
  const std::string log = home / "frames.log";
  const bench::ChildRun run = bench::RunChild(
      {bench::PlayerPath(), "--pictures", pictures, "--order", "name", "--duration", "2", "--transitions", "fade",
       "--motion", "gentle", "--fps", "60"},
      {"TIDEPOOL_PLATFORM=headless", "TIDEPOOL_REAL_CLOCK=1", "TIDEPOOL_SCREEN=1920x1080", "TIDEPOOL_RUN_MS=5000",
       "TIDEPOOL_AUDIO=none", "HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.path(),
       "XDG_CACHE_HOME=" + home.path(), "TIDEPOOL_FRAME_LOG=" + log});
  const std::vector<uint32_t> ticks = bench::FrameTicks(log);
  if (run.exitCode != 0 || ticks.size() < 60) {
    std::fprintf(stderr, "moving show: exit %d, %zu frame lines\n", run.exitCode, ticks.size());
    return;
  }
  // From a second into the show, across the change and its fade, to 4.5 s.
  uint32_t longest = 0;
  for (size_t i = 1; i < ticks.size(); ++i) {
    const uint32_t at = ticks[i] - ticks.front();
    if (at >= 1000 && at <= 4500) longest = std::max(longest, ticks[i] - ticks[i - 1]);
  }
  bench::Figure("motion_frame_gap_ms", longest);
  bench::Figure("motion_frame_gap_vs_frame", longest / (1000.0 / 60));
}

}  // namespace

int main(int argc, char** argv) {
  FrameFigures();
  PsnrFigures();
  FrameGapFigure();
  return bench::RunAndReport(argc, argv);
}
