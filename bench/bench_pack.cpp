// tidepool-pack against copying the same pictures, measured in the same run:
//   pack_vs_cp          packing a folder of 200 JPEG photos (1600 x 1200, 600 KB, each with
//                       an EXIF block the tool reads, each decoded to check it) into a saver,
//                       over `cp -r` of the same folder (median wall times, warm cache)
//   unpack_tool_vs_cp   `tidepool-pack --unpack` of that saver into a new folder over
//                       `cp -r` of the picture folder
//   decode_floor_vs_cp  what decoding alone costs: `djpeg -scale 1/8 -grayscale` of every
//                       photo, the photos split over one process per core, over `cp -r`
//   pack_vs_decode_floor  packing over that floor: what packing adds to the decoding
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/BenchFiles.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using namespace tp::bench;

constexpr int kPhotos = 200;

// A photo-like picture from ImageMagick (a plasma fractal at 1600 x 1200, quality 90:
// about 600 KB, as dense as a camera photo of that size), with an EXIF block holding
// orientation 1 ("normal") after the start marker.
std::string MakePhoto(const ScratchDir& dir, int seed) {
  const std::string path = dir / ("seed" + std::to_string(seed) + ".jpg");
  const std::string cmd = "convert -seed " + std::to_string(seed + 1) + " -size 1600x1200 plasma:fractal -quality 90 '" +
                          path + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return {};
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.size() < 4) return {};
  const std::string tiff = std::string("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x01\0\0\0\0\0\0\0", 26);
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  const std::string segment = std::string("\xFF\xE1\0", 3) + char(payload.size() + 2) + payload;
  return bytes.substr(0, 2) + segment + bytes.substr(2);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

double Shell(const std::string& command) {
  const ChildRun run = RunChild({"/bin/sh", "-c", command}, {});
  return run.exitCode == 0 ? run.wallSeconds : -1;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

}  // namespace

int main(int argc, char** argv) {
  ScratchDir dir("pack");
  const std::string photos = dir / "photos";
  std::filesystem::create_directories(photos);
  // A handful of different photos, repeated: decoding costs the same for every copy.
  std::vector<std::string> made;
  for (int seed = 0; seed < 4; ++seed) made.push_back(MakePhoto(dir, seed));
  if (made.back().empty()) {
    std::fprintf(stderr, "bench_pack: ImageMagick's convert failed; no figures\n");
    return RunAndReport(argc, argv);
  }
  for (int i = 0; i < kPhotos; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/IMG_%04d.jpg", i);
    std::ofstream(photos + name, std::ios::binary) << made[size_t(i) % made.size()];
  }
  const std::string pack = ToolPath("tidepool-pack"), saver = dir / "Photos.scr";
  // The photos split over one djpeg loop per core.
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::string floorCommand = "ls " + Q(photos) + "/*.jpg | xargs -P " + std::to_string(cores) + " -n " +
                                   std::to_string((kPhotos + cores - 1) / cores) +
                                   " sh -c 'for f; do djpeg -scale 1/8 -grayscale \"$f\" >/dev/null || exit 1; done' _";
  const bool haveDjpeg = Shell("command -v djpeg >/dev/null") >= 0;
  std::vector<double> packTimes, cpTimes, unpackTimes, floorTimes;
  Shell("cp -r " + Q(photos) + " " + Q(dir / "warm") + " && rm -rf " + Q(dir / "warm"));
  for (int round = 0; round < 5; ++round) {
    const std::string copy = dir / ("copy" + std::to_string(round));
    const std::string unpacked = dir / ("unpacked" + std::to_string(round));
    cpTimes.push_back(Shell("cp -r " + Q(photos) + " " + Q(copy)));
    packTimes.push_back(Shell(Q(pack) + " --player " + Q(PlayerPath()) + " --pictures " + Q(photos) + " " + Q(saver) +
                              " >/dev/null"));
    unpackTimes.push_back(Shell(Q(pack) + " --unpack " + Q(saver) + " " + Q(unpacked) + " >/dev/null"));
    if (haveDjpeg) floorTimes.push_back(Shell(floorCommand));
    Shell("rm -rf " + Q(copy) + " " + Q(unpacked));
  }
  const double cp = Median(cpTimes), packed = Median(packTimes), unpacked = Median(unpackTimes);
  if (cp > 0 && packed > 0 && unpacked > 0) {
    Figure("pack_ms", packed * 1000.0);
    Figure("unpack_tool_ms", unpacked * 1000.0);
    Figure("cp_r_ms", cp * 1000.0);
    Figure("pack_vs_cp", packed / cp);
    Figure("unpack_tool_vs_cp", unpacked / cp);
    const double floor = Median(floorTimes);
    if (floor > 0) {
      Figure("decode_floor_ms", floor * 1000.0);
      Figure("decode_floor_vs_cp", floor / cp);
      Figure("pack_vs_decode_floor", packed / floor);
    }
  }
  return RunAndReport(argc, argv);
}
