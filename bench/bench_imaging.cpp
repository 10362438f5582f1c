// Imaging hot paths against their baselines, measured in the same run:
//   lanczos_vs_imagemagick  ImageMagick's single-threaded Lanczos resize time over ours
//                           (4000x3000 -> 1920x1080; ImageMagick's read/write time of the
//                           same files without the resize is subtracted)
//   lanczos_psnr_db         PSNR of our result against ImageMagick's
//   jpeg_decode_vs_djpeg    our 12-megapixel JPEG decode time over djpeg's
//   copy_vs_memcpy          a 1920x1080 Copy over memcpy of the same bytes (taking turns,
//                           medians of thread CPU time)
//   fit_24mp_vs_decode_floor reading, decoding and fitting a 6000x4000 JPEG to 1920x1080
//                           (the show's own path: DCT-scaled decode, then Lanczos) over
//                           djpeg's decode of the same file at the same DCT scale, which
//                           the fit cannot go below
//   fit_24mp_psnr_db        PSNR of that result against a full decode + Lanczos
//   rotate_lossless_vs_jpegtran turning that photo a quarter without loss (read, transform)
//                           over `jpegtran -rotate 90 -perfect` of the same file
//   djpeg_eighth_vs_full    djpeg at its smallest scale (1/8: hardly more than reading the
//                           entropy-coded data, which cannot be split without restart
//                           markers) over its full decode of the same file
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/Draw.h"
#include "imaging/JpegTransform.h"
#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "imaging/Resample.h"
#include "presentation/PictureLoading.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;

// Thread CPU seconds one call of fn takes.
template <class Fn>
double ThreadCpuSeconds(Fn&& fn) {
  timespec t0{}, t1{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
  fn();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
  return double(t1.tv_sec - t0.tv_sec) + double(t1.tv_nsec - t0.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A picture with smooth gradients, sharp edges and fine texture; with rings, also a zone
// of rings that grow finer than a pixel towards the corners of a big picture.
Bitmap32 MakeTestPicture(int w, int h, bool rings = true) {
  Bitmap32 b(w, h);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y) {
    Pixel* row = b.scanline(y);
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28) - 8;
      double r = 128 + 90 * std::sin(x * 0.004 + y * 0.002);
      double g = 128 + 90 * std::cos(x * 0.0031 - y * 0.0047);
      double bl = ((x / 37 + y / 53) % 2) ? 200 : 60;
      if (rings && ((x - 2000) * (x - 2000) + (y - 1500) * (y - 1500)) % 40000 < 20000) g = 255 - g;
      auto c = [&](double v) { return uint8_t(std::clamp(int(v) + noise, 0, 255)); };
      row[x] = MakePixel(c(r), c(g), c(bl), 255);
    }
  }
  return b;
}

std::string TempDir() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = std::string(t && *t ? t : "/tmp") + "/tidepool-bench-imaging-XXXXXX";
  std::vector<char> buf(dir.begin(), dir.end());
  buf.push_back(0);
  if (!mkdtemp(buf.data())) return "/tmp";
  return buf.data();
}

void WritePpm(const Bitmap32& b, const std::string& path) {
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << b.width() << " " << b.height() << "\n255\n";
  std::vector<uint8_t> row(size_t(b.width()) * 3);
  for (int y = 0; y < b.height(); ++y) {
    const Pixel* p = b.scanline(y);
    for (int x = 0; x < b.width(); ++x) {
      row[3 * size_t(x)] = PixelR(p[x]);
      row[3 * size_t(x) + 1] = PixelG(p[x]);
      row[3 * size_t(x) + 2] = PixelB(p[x]);
    }
    f.write(reinterpret_cast<const char*>(row.data()), std::streamsize(row.size()));
  }
}

// Reads a binary PPM with maxval 255 (what ImageMagick writes); empty on failure.
Bitmap32 ReadPpm(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxv = 0;
  f >> magic >> w >> h >> maxv;
  f.get();
  if (magic != "P6" || maxv != 255 || w <= 0 || h <= 0) return Bitmap32();
  Bitmap32 b(w, h);
  std::vector<uint8_t> row(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    f.read(reinterpret_cast<char*>(row.data()), std::streamsize(row.size()));
    for (int x = 0; x < w; ++x) b.at(x, y) = MakePixel(row[3 * size_t(x)], row[3 * size_t(x) + 1], row[3 * size_t(x) + 2], 255);
  }
  return f ? b : Bitmap32();
}

double Psnr(const Bitmap32& a, const Bitmap32& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.empty()) return 0;
  double se = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const Pixel p = a.at(x, y), q = b.at(x, y);
      for (int s = 0; s < 24; s += 8) {
        const double d = double((p >> s) & 0xFF) - double((q >> s) & 0xFF);
        se += d * d;
      }
    }
  const double mse = se / (double(a.width()) * a.height() * 3);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void BM_Lanczos4000x3000To1080p(benchmark::State& state) {
  static const Bitmap32 src = MakeTestPicture(4000, 3000);
  Bitmap32 dst(1920, 1080);
  for (auto _ : state) {
    StretchLanczos(src, dst);
    benchmark::DoNotOptimize(dst.data());
  }
}
BENCHMARK(BM_Lanczos4000x3000To1080p)->Unit(benchmark::kMillisecond);

void BM_Copy1080p(benchmark::State& state) {
  Bitmap32 src(1920, 1080), dst(1920, 1080);
  src.Fill(0xFF336699);
  for (auto _ : state) {
    Copy(dst, 0, 0, 1920, 1080, src, 0, 0);
    benchmark::DoNotOptimize(dst.data());
  }
}
BENCHMARK(BM_Copy1080p)->Unit(benchmark::kMicrosecond);

// The headline figures, measured once.
void BM_HeadlineFigures(benchmark::State& state) {
  for (auto _ : state) {
    const std::string dir = TempDir();
    const Bitmap32 src = MakeTestPicture(4000, 3000);

    // Lanczos against ImageMagick on one thread.
    Bitmap32 ours(1920, 1080);
    const double oursSec = bench::MedianSeconds([&] { StretchLanczos(src, ours); }, 5, 1.0);
    const std::string in = dir + "/in.ppm", imOut = dir + "/im.ppm", imCopy = dir + "/copy.ppm";
    WritePpm(src, in);
    const std::string env = "MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1 ";
    const double imResize = bench::CommandSeconds(
        env + "convert " + in + " -filter Lanczos -resize 1920x1080! " + imOut + " 2>/dev/null", 3);
    const double imIo = bench::CommandSeconds(
        env + "convert " + in + " -scale 1920x1080! " + imCopy + " 2>/dev/null", 3);
    if (imResize > 0 && imIo >= 0) {
      const double imNet = std::max(imResize - imIo, 1e-6);
      bench::Figure("lanczos_vs_imagemagick", imNet / oursSec);
      bench::Figure("lanczos_psnr_db", Psnr(ours, ReadPpm(imOut)));
    }

    // JPEG decode of 12 megapixels against djpeg.
    const std::vector<uint8_t> jpeg = EncodeJpeg(src, 90);
    const std::string jpegPath = dir + "/in.jpg";
    {
      std::ofstream f(jpegPath, std::ios::binary);
      f.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    }
    const double decodeSec = bench::MedianSeconds([&] {
      Bitmap32 b = LoadJpegFile(jpegPath);
      benchmark::DoNotOptimize(b.data());
    }, 5, 1.0);
    const double djpegSec = bench::CommandSeconds("djpeg -outfile /dev/null " + jpegPath, 5);
    if (djpegSec > 0) bench::Figure("jpeg_decode_vs_djpeg", decodeSec / djpegSec);

    // A 24-megapixel photo fitted to the screen, against djpeg's full decode.
    {
      // Photo-like: no detail finer than the sensor's pixels (no rings), noise kept.
      const std::vector<uint8_t> photo = EncodeJpeg(MakeTestPicture(6000, 4000, false), 90);
      const std::string photoPath = dir + "/photo.jpg";
      {
        std::ofstream f(photoPath, std::ios::binary);
        f.write(reinterpret_cast<const char*>(photo.data()), std::streamsize(photo.size()));
      }
      const FitSettings fit{1920, 1080, true, false, false, 0};
      FittedPicture fitted;
      const double fitSec = bench::MedianSeconds([&] { fitted = PreparePlainPicture(photoPath, fit); }, 5, 1.0);
      // The DCT scale the fit decodes at: the smallest halving still at least the screen.
      int scale = 8;
      while (scale > 1 && (6000 / scale < 1920 || 4000 / scale < 1080)) scale /= 2;
      const double djpegScaled =
          bench::CommandSeconds("djpeg -scale 1/" + std::to_string(scale) + " -outfile /dev/null " + photoPath, 5);
      if (djpegScaled > 0) bench::Figure("fit_24mp_vs_decode_floor", fitSec / djpegScaled);
      const double djpegFull = bench::CommandSeconds("djpeg -outfile /dev/null " + photoPath, 5);
      const double djpegEighth = bench::CommandSeconds("djpeg -scale 1/8 -outfile /dev/null " + photoPath, 5);
      if (djpegFull > 0 && djpegEighth > 0) bench::Figure("djpeg_eighth_vs_full", djpegEighth / djpegFull);

      const double turnSec = bench::MedianSeconds([&] {
        const std::string bytes = ReadPictureFile(photoPath);
        auto turned = TurnJpegLosslessly(bytes, 6);
        benchmark::DoNotOptimize(turned);
      }, 5, 1.0);
      const double jpegtranSec =
          bench::CommandSeconds("jpegtran -rotate 90 -perfect -outfile /dev/null " + photoPath, 5);
      if (jpegtranSec > 0) bench::Figure("rotate_lossless_vs_jpegtran", turnSec / jpegtranSec);
      Bitmap32 reference(1920, 1080);
      StretchLanczos(LoadJpegFile(photoPath), reference);
      bench::Figure("fit_24mp_psnr_db", Psnr(fitted.picture, reference));
      std::remove(photoPath.c_str());
    }

    // 1:1 copy of a frame against memcpy.
    Bitmap32 a(1920, 1080), b(1920, 1080);
    a.Fill(0xFF102030);
    // The two take turns, timed in thread CPU time: measured one after the other in wall
    // time, whatever else the machine did in either half moved the ratio by +-50 %.
    std::vector<double> copyTimes, memcpyTimes;
    for (int i = 0; i < 201; ++i) {
      copyTimes.push_back(ThreadCpuSeconds([&] {
        Copy(b, 0, 0, 1920, 1080, a, 0, 0);
        benchmark::DoNotOptimize(b.data());
      }));
      memcpyTimes.push_back(ThreadCpuSeconds([&] {
        std::memcpy(b.data(), a.data(), a.pixelCount() * sizeof(Pixel));
        benchmark::DoNotOptimize(b.data());
      }));
    }
    bench::Figure("copy_vs_memcpy", Median(copyTimes) / Median(memcpyTimes));

    std::remove(in.c_str());
    std::remove(imOut.c_str());
    std::remove(imCopy.c_str());
    std::remove(jpegPath.c_str());
    std::remove(dir.c_str());
  }
}
BENCHMARK(BM_HeadlineFigures)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

TIDEPOOL_BENCH_MAIN()
