// The folder show over the generated library of 100 000 small JPEGs in 1 000 folders plus a
// few 24-megapixel photos (the one bench_library makes and keeps under the build tree):
//   library_first_frame_vs_floor_no_index  wall time from starting `tidepool --pictures` to
//                            its first frame with a picture (headless, 1920x1080, real clock)
//                            with no index yet, over its floor: the wall time of
//                            `tidepool /x` plus the preparation of that one picture (decode,
//                            fit and fill)
//   library_first_frame_vs_floor_index     the same with the index of an earlier show
//   library_memory_mb        peak resident memory of a show over the whole library minus
//                            that of a show of one picture
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "photoshow/PhotoPreparation.h"
#include "support/BenchFiles.h"
#include "support/BenchPhotoLibrary.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using namespace tp::bench;

std::vector<std::string> ShowEnv(const ScratchDir& home, unsigned runMs) {
  return {"TIDEPOOL_PLATFORM=headless", "TIDEPOOL_REAL_CLOCK=1", "TIDEPOOL_SCREEN=1920x1080",
          "TIDEPOOL_AUDIO=none", "TIDEPOOL_RUN_MS=" + std::to_string(runMs), "HOME=" + home.path(),
          "XDG_CACHE_HOME=" + (home / "cache"), "XDG_CONFIG_HOME=" + (home / "config")};
}

// A frame log line of a picture drawn (not the black clear at the start).
bool HasPictureFrame(const std::string& log) {
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.find(" window ") != std::string::npos) return true;
  return false;
}

// The first picture the event log says was loaded.
std::string FirstLoad(const std::string& log) {
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find(" load ");
    if (at != std::string::npos) return line.substr(at + 6);
  }
  return {};
}

// Starts the show and returns the seconds until its first picture is on screen, with the
// picture it showed; the show then runs on to its end.
double SecondsToFirstPicture(const ScratchDir& home, const std::string& folder, std::string& shown) {
  const std::string frames = home / "frames.log", events = home / "events.log";
  std::filesystem::remove(frames);
  std::filesystem::remove(events);
  std::vector<std::string> env = ShowEnv(home, 3000);
  env.push_back("TIDEPOOL_FRAME_LOG=" + frames);
  env.push_back("TIDEPOOL_EVENT_LOG=" + events);
  const double seconds =
      SecondsUntil({PlayerPath(), "--pictures", folder}, env, [&] { return HasPictureFrame(frames); });
  if (seconds < 0) return -1;
  shown = FirstLoad(events);
  return seconds;
}

double BareStartSeconds() {
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) times.push_back(RunChild({PlayerPath(), "/x"}, {}).wallSeconds);
  std::sort(times.begin(), times.end());
  return times[2];
}

double PrepareSeconds(const std::string& path) {
  return MedianSeconds([&] { benchmark::DoNotOptimize(PreparePhoto(path, 1920, 1080)); }, 3, 0.1);
}

// Median of five first-picture ratios; fresh says whether each start has no index yet.
double FirstFrameRatio(const std::string& folder, bool fresh, double bare) {
  std::vector<double> ratios;
  ScratchDir keptHome("photos-first");
  for (int i = 0; i < 5; ++i) {
    ScratchDir freshHome("photos-first-fresh");
    const ScratchDir& home = fresh ? freshHome : keptHome;
    std::string shown;
    if (!fresh && i == 0) SecondsToFirstPicture(home, folder, shown);  // the index comes first
    const double first = SecondsToFirstPicture(home, folder, shown);
    if (first < 0 || shown.empty()) return -1;
    ratios.push_back(first / (bare + PrepareSeconds(shown)));
  }
  std::sort(ratios.begin(), ratios.end());
  return ratios[2];
}

double PeakMb(const ScratchDir& home, const std::string& folder, unsigned runMs) {
  const ChildRun run = RunChild({PlayerPath(), "--pictures", folder}, ShowEnv(home, runMs));
  return run.exitCode == 0 ? run.peakRssMb : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string library = GeneratedPhotoLibrary();
  const double bare = BareStartSeconds();
  Figure("library_first_frame_vs_floor_no_index", FirstFrameRatio(library, true, bare));
  Figure("library_first_frame_vs_floor_index", FirstFrameRatio(library, false, bare));
  {
    // The whole library, its index made by a first show; against one picture.
    ScratchDir big("photos-memory"), one("photos-memory-one");
    PeakMb(big, library, 20000);  // scans and reads every header
    const double all = PeakMb(big, library, 5000);
    const std::string single = one / "one";
    std::filesystem::create_directories(single);
    std::filesystem::copy_file(library + "/2000/00/IMG_00000.jpg", single + "/IMG_00000.jpg");
    const double lone = PeakMb(one, single, 5000);
    if (all > 0 && lone > 0) Figure("library_memory_mb", all - lone);
  }
  return RunAndReport(argc, argv);
}
