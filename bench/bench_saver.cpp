// The whole player on the headless backend with the real clock, against its own parts:
//   static_picture_cpu_percent  processor use while one 1920x1080 plain picture is on
//                               screen: the CPU time of a 10.5 s show minus that of a
//                               0.5 s show (start-up, unpacking and the first picture),
//                               over the 10 s between them, in percent of one core
//   first_frame_vs_floor        wall time from starting a 20-picture saver to its first
//                               presented frame, over its floor: the wall time of
//                               `tidepool /x` (the same libraries loaded, then an
//                               immediate exit) plus the time a fresh process needs to
//                               unpack the same project and decode and fit its first
//                               picture
//   picture_change_gap_vs_frame the longest time between two presented frames around a
//                               change from a rippling packaged picture to a 6000x4000
//                               JPEG (headless, 1920x1080, real clock), over 33 ms
//   pano_100mp_peak_mb          peak resident memory of a headless show of a 25000x4000
//                               JPEG at 1920x1080
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "imaging/ImageWriter.h"
#include "project/PackagedPicture.h"
#include "project/PackagedPictureWriter.h"
#include "presentation/PictureLoading.h"
#include "presentation/PresentationState.h"
#include "project/ProjectLoader.h"
#include "project/ProjectSettings.h"
#include "support/BenchFiles.h"
#include "support/BenchPictures.h"
#include "support/BenchReport.h"

extern char** environ;

namespace {

using namespace tp;
using namespace tp::bench;

Bitmap32 Scene(int w, int h, int seed) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    Pixel* row = b.scanline(y);
    for (int x = 0; x < w; ++x)
      row[x] = MakePixel(uint8_t((x + seed * 40) * 255 / (w + 800)), uint8_t(y * 255 / h),
                         uint8_t(((x / 16) ^ (y / 16) ^ seed) * 9), 255);
  }
  return b;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              std::streamsize(bytes.size()));
}

// A saver with `count` 1920x1080 JPEG pictures in dir; returns its path.
std::string MakeSaver(const ScratchDir& dir, int count) {
  const std::string project = dir / "project";
  std::filesystem::create_directories(project + "/files");
  std::ofstream list(project + "/filelist.ini");
  list << "[FileList]\r\n";
  for (int i = 0; i < count; ++i) {
    const std::string name = "picture" + std::to_string(100 + i) + ".jpg";
    WriteBytes(project + "/files/" + name, EncodeJpeg(Scene(1920, 1080, i), 90));
    list << name << "=1\r\n";
  }
  list.close();
  std::ofstream(project + "/settings.ini")
      << "[Default]\r\nStretch=1\r\nProportional=1\r\nShowImageMode=1\r\nDuration=3600\r\nMusic=0\r\nSound=0\r\n";
  const std::string saver = dir / "Bench.scr";
  const ChildRun pack = RunChild({ToolPath("tidepool-pack"), "--player", PlayerPath(), project, saver}, {});
  return pack.exitCode == 0 ? saver : std::string();
}

// A saver of the given files (already in dir/project/files) with extra settings lines.
std::string PackSaver(const ScratchDir& dir, const std::vector<std::string>& names, const std::string& settings) {
  const std::string project = dir / "project";
  std::ofstream list(project + "/filelist.ini");
  list << "[FileList]\r\n";
  for (const std::string& name : names) list << name << "=1\r\n";
  list.close();
  std::ofstream(project + "/settings.ini") << "[Default]\r\nMusic=0\r\nSound=0\r\n" << settings;
  const std::string saver = dir / "Bench.scr";
  const ChildRun pack = RunChild({ToolPath("tidepool-pack"), "--player", PlayerPath(), project, saver}, {});
  return pack.exitCode == 0 ? saver : std::string();
}

// A 1280x720 packaged picture whose lower half is water.
void WriteLake(const std::string& path) {
  TProject p;
  p.picture = Scene(1280, 720, 3);
  p.areaMask.SetSize(1280, 720);
  p.areaMask.Fill(kAreaMaskColors[0]);
  for (int y = 360; y < 720; ++y)
    for (int x = 0; x < 1280; ++x) p.areaMask.at(x, y) = kAreaMaskColors[1];
  p.wave(0).Amplitude = 6;
  SavePackagedPicture(p, path, 90);
}

std::vector<std::string> ShowEnv(const ScratchDir& dir, unsigned runMs) {
  return {"TIDEPOOL_PLATFORM=headless", "TIDEPOOL_REAL_CLOCK=1", "TIDEPOOL_SCREEN=1920x1080",
          "TIDEPOOL_RUN_MS=" + std::to_string(runMs), "TMPDIR=" + dir.path()};
}

double StaticPictureCpuPercent(const ScratchDir& dir, const std::string& saver) {
  const ChildRun shortRun = RunChild({saver, "/s"}, ShowEnv(dir, 500));
  const ChildRun longRun = RunChild({saver, "/s"}, ShowEnv(dir, 10500));
  if (shortRun.exitCode != 0 || longRun.exitCode != 0) return -1;
  return (longRun.cpuSeconds - shortRun.cpuSeconds) / 10.0 * 100.0;
}

// Starts the saver and returns the seconds until its frame log holds a line.
double SecondsToFirstFrame(const ScratchDir& dir, const std::string& saver) {
  const std::string log = dir / "frames.log";
  std::filesystem::remove(log);
  std::vector<std::string> env = ShowEnv(dir, 2000);
  env.push_back("TIDEPOOL_FRAME_LOG=" + log);
  return SecondsUntil({saver, "/s"}, env, [&] {
    struct stat st {};
    return ::stat(log.c_str(), &st) == 0 && st.st_size > 0;
  });
}

// Packaged picture first, the photo due after 2 s (with a transition); the longest gap
// between frames from 1 s before the change to 1.5 s after it.
double PictureChangeGapMs(const ScratchDir& dir) {
  std::filesystem::create_directories(dir / "project/files");
  WriteLake(dir / "project/files/lake.mpp");
  if (!WritePhotoJpeg(dir / "project/files/photo.jpg", 6000, 4000)) return -1;
  const std::string saver = PackSaver(
      dir, {"lake.mpp", "photo.jpg"},
      "Stretch=1\r\nProportional=1\r\nShowImageMode=1\r\nDuration=2\r\nTransition=1\r\nTransitionTime=1000\r\n");
  if (saver.empty()) return -1;
  const std::string log = dir / "change-frames.log";
  std::vector<std::string> env = ShowEnv(dir, 4500);
  env.push_back("TIDEPOOL_FRAME_LOG=" + log);
  const ChildRun run = RunChild({saver, "/s"}, env);
  const std::vector<uint32_t> ticks = FrameTicks(log);
  if (run.exitCode != 0 || ticks.size() < 10) {
    std::fprintf(stderr, "picture change show: exit %d, %zu frames\n", run.exitCode, ticks.size());
    return -1;
  }
  const uint32_t start = ticks.front();
  uint32_t longest = 0;
  for (size_t i = 1; i < ticks.size(); ++i) {
    const uint32_t at = ticks[i] - start;
    if (at >= 1000 && at <= 3500) longest = std::max(longest, ticks[i] - ticks[i - 1]);
  }
  return double(longest);
}

double PanoramaPeakMb(const ScratchDir& dir) {
  std::filesystem::create_directories(dir / "project/files");
  if (!WritePhotoJpeg(dir / "project/files/pano.jpg", 25000, 4000)) return -1;
  const std::string saver =
      PackSaver(dir, {"pano.jpg"}, "Stretch=1\r\nProportional=1\r\nShowImageMode=1\r\nDuration=3600\r\n");
  if (saver.empty()) return -1;
  const std::string log = dir / "pano-frames.log";
  std::vector<std::string> env = ShowEnv(dir, 1500);
  env.push_back("TIDEPOOL_FRAME_LOG=" + log);
  const ChildRun run = RunChild({saver, "/s"}, env);
  if (run.exitCode != 0 || FrameTicks(log).empty()) return -1;  // it must have shown the panorama
  return run.peakRssMb;
}

// The median wall time of the player started with a switch that makes it exit at once.
double BareStartSeconds() {
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) times.push_back(RunChild({PlayerPath(), "/x"}, {}).wallSeconds);
  std::sort(times.begin(), times.end());
  return times[2];
}

// Unpacking the project and decoding and fitting its first picture, once.
double PartsOnce(const std::string& saver) {
  SetSaverPath(saver);
  const auto t0 = std::chrono::steady_clock::now();
  TMpCProject project;
  UnpackProject(project, saver);
  PresentationState state;
  state.screenWidth = 1920;
  state.screenHeight = 1080;
  state.stretch = state.proportional = true;
  LoadAndFitPlainPicture(project.fileList.pictures.at(0), state);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  RemoveUnpackedProject(project);
  return seconds;
}

// The parts in a fresh process each time (this program run with --parts-once), so that
// they start as cold as the player does: no memory or file handles left from a previous
// round. The median of five.
double PartsSeconds(const ScratchDir& dir, const std::string& saver) {
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    const std::string out = dir / "parts.txt";
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    if (RunChild({self, "--parts-once", saver, out}, {"TMPDIR=" + dir.path()}).exitCode != 0) return -1;
    double t = -1;
    std::ifstream(out) >> t;
    times.push_back(t);
  }
  std::sort(times.begin(), times.end());
  return times[2];
}

void BM_UnpackAndFitFirstPicture(benchmark::State& state) {
  static ScratchDir dir("saver-bm");
  static const std::string saver = MakeSaver(dir, 4);
  setenv("TMPDIR", dir.path().c_str(), 1);
  for (auto _ : state) benchmark::DoNotOptimize(PartsOnce(saver));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--parts-once") {
    std::ofstream(argv[3]) << PartsOnce(argv[2]);
    return 0;
  }
  // Each show unpacks into its own scratch folder; the next folder is made beside it, in
  // the temporary directory this program was given.
  const char* givenTmp = std::getenv("TMPDIR");
  const std::string baseTmp = givenTmp && *givenTmp ? givenTmp : "/tmp";
  {
    ScratchDir dir("saver");
    setenv("TMPDIR", dir.path().c_str(), 1);
    const std::string one = MakeSaver(dir, 1);
    if (!one.empty()) Figure("static_picture_cpu_percent", StaticPictureCpuPercent(dir, one));
  }
  {
    setenv("TMPDIR", baseTmp.c_str(), 1);
    ScratchDir dir("saver20");
    setenv("TMPDIR", dir.path().c_str(), 1);
    const std::string twenty = MakeSaver(dir, 20);
    if (!twenty.empty()) {
      std::vector<double> firsts;
      for (int i = 0; i < 5; ++i) firsts.push_back(SecondsToFirstFrame(dir, twenty));
      std::sort(firsts.begin(), firsts.end());
      const double parts = PartsSeconds(dir, twenty);
      const double bare = BareStartSeconds();
      Figure("first_frame_ms", firsts[2] * 1000.0);
      Figure("first_frame_parts_ms", parts * 1000.0);
      Figure("first_frame_bare_start_ms", bare * 1000.0);
      Figure("first_frame_vs_floor", firsts[2] / (bare + parts));
    }
  }
  {
    setenv("TMPDIR", baseTmp.c_str(), 1);
    ScratchDir dir("saver-change");
    setenv("TMPDIR", dir.path().c_str(), 1);
    const double gap = PictureChangeGapMs(dir);
    if (gap > 0) {
      Figure("picture_change_gap_ms", gap);
      Figure("picture_change_gap_vs_frame", gap / 33.0);
    }
  }
  {
    setenv("TMPDIR", baseTmp.c_str(), 1);
    ScratchDir dir("saver-pano");
    setenv("TMPDIR", dir.path().c_str(), 1);
    const double peak = PanoramaPeakMb(dir);
    if (peak > 0) Figure("pano_100mp_peak_mb", peak);
  }
  benchmark::RegisterBenchmark("BM_UnpackAndFitFirstPicture", BM_UnpackAndFitFirstPicture)
      ->Unit(benchmark::kMillisecond);
  return RunAndReport(argc, argv);
}
