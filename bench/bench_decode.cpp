// Our decode of a 12-megapixel photo-like picture in each library-backed format against
// the format library's own command-line decoder, whose process start (the same tool on a
// 1 x 1 picture) is taken off. Ours is the show's decode: the file read, decoded and
// converted to sRGB as shown.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/import/ImageLoader.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;

// Smooth gradients with sensor-like noise, as a photo has.
void WritePhotoPpm(int w, int h, const std::string& path) {
  std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
  uint32_t seed = 4242;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28) - 8;
      const double v[3] = {128 + 100 * std::sin(x * 0.0021 + y * 0.0013), 128 + 90 * std::cos(x * 0.0017 - y * 0.0029),
                           96 + 80 * std::sin((x + y) * 0.0011)};
      for (int c = 0; c < 3; ++c)
        rgb[(size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(c)] = uint8_t(std::clamp(int(v[c]) + noise, 0, 255));
    }
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << w << " " << h << "\n255\n";
  f.write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
}

std::string MakeDir() {
  char tmpl[] = "/tmp/tp-bench-decode-XXXXXX";
  const char* d = mkdtemp(tmpl);
  return d ? d : "/tmp";
}

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

struct Format {
  const char* name;
  const char* extension;
  std::string encode;  // "%in" and "%out"
  std::string decode;  // "%in" and "%dir"
};

std::string Fill(std::string s, const std::string& in, const std::string& out, const std::string& dir) {
  for (const auto& [key, value] : {std::pair<std::string, std::string>{"%in", in}, {"%out", out}, {"%dir", dir}}) {
    for (size_t at = s.find(key); at != std::string::npos; at = s.find(key, at + value.size())) s.replace(at, key.size(), value);
  }
  return s;
}

void BM_DecodeVsTool(benchmark::State& state) {
  for (auto _ : state) {
    const std::string dir = MakeDir();
    const std::string big = dir + "/photo.ppm", tiny = dir + "/tiny.ppm";
    WritePhotoPpm(4000, 3000, big);
    WritePhotoPpm(1, 1, tiny);
    const std::vector<Format> formats = {
        {"heif", "heic", "heif-enc -q 90 -o %out %in.png", "heif-convert --quiet %in %dir/out.y4m"},
        {"webp", "webp", "cwebp -q 90 %in -o %out", "dwebp %in -ppm -o %dir/out.ppm"},
        {"png", "png", "convert %in %out", "pngtopam %in > %dir/out.pam"},
        {"tiff", "tif", "convert %in -compress lzw %out", "tiffcp -c none %in %dir/out.tif"},
        {"jxl", "jxl", "cjxl -d 1 %in.png %out", "djxl %in %dir/out.ppm"},
    };
    Run("convert " + big + " " + big + ".png");
    Run("convert " + tiny + " " + tiny + ".png");
    // TIDEPOOL_DECODE_FORMATS=tiff,jxl measures only those.
    const char* only = std::getenv("TIDEPOOL_DECODE_FORMATS");
    for (const Format& f : formats) {
      if (only && *only && std::string(",") .append(only).append(",").find(std::string(",") + f.name + ",") == std::string::npos)
        continue;
      const std::string bigOut = dir + "/photo." + f.extension, tinyOut = dir + "/tiny." + f.extension;
      if (!Run(Fill(f.encode, big, bigOut, dir)) || !Run(Fill(f.encode, tiny, tinyOut, dir))) {
        std::fprintf(stderr, "decode_vs_tool_%s: cannot make the picture (is the tool installed?)\n", f.name);
        continue;
      }
      const double toolBig = bench::CommandSeconds(Fill(f.decode, bigOut, "", dir) + " 2>/dev/null", 5);
      const double toolTiny = bench::CommandSeconds(Fill(f.decode, tinyOut, "", dir) + " 2>/dev/null", 5);
      if (toolBig <= 0 || toolTiny < 0) continue;
      DecodeRequest request;
      request.toSrgb = true;
      const double ours = bench::MedianSeconds(
          [&] {
            const std::string bytes = ReadPictureFile(bigOut);
            Bitmap32 b = DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), request);
            benchmark::DoNotOptimize(b.data());
          },
          5, 1.0);
      std::printf("%s: ours %.1f ms, tool %.1f ms, its start %.1f ms\n", f.name, ours * 1e3, toolBig * 1e3,
                  toolTiny * 1e3);
      bench::Figure(std::string("decode_vs_tool_") + f.name, ours / std::max(toolBig - toolTiny, 1e-6));
    }
    Run("rm -rf " + dir);
  }
}
BENCHMARK(BM_DecodeVsTool)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

TIDEPOOL_BENCH_MAIN()
