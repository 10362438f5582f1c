// Unpacking a saver's project against copying the same bytes, measured in the same run:
//   unpack_vs_cp            our unpacking throughput over cp's for a 200 MB project (cp of
//                           the saver file into the same folder; both with a warm cache)
//   marker_search_mb_per_s  the marker search over a 2 MB player image followed by a
//                           project, in megabytes of player image per second
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "project/ContainerReader.h"
#include "project/ProjectLoader.h"
#include "support/BenchFiles.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using namespace tp::bench;

void WriteRandom(const std::string& path, size_t bytes, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint32_t> block(1 << 18);
  std::ofstream out(path, std::ios::binary);
  for (size_t done = 0; done < bytes;) {
    for (uint32_t& v : block) v = random();
    const size_t n = std::min(bytes - done, block.size() * 4);
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(n));
    done += n;
  }
}

// A saver holding `megabytes` of project files (four files of random bytes and a picture
// list naming none of them: only the unpacking is measured).
std::string MakeSaver(const ScratchDir& dir, int megabytes, const std::string& player) {
  const std::string project = dir / "project";
  std::filesystem::create_directories(project + "/files");
  for (int i = 0; i < 4; ++i)
    WriteRandom(project + "/files/data" + std::to_string(i) + ".bin", size_t(megabytes) * 1024 * 1024 / 4, uint32_t(i));
  std::ofstream(project + "/filelist.ini") << "[FileList]\r\n";
  const std::string saver = dir / "Big.scr";
  const ChildRun pack = RunChild({ToolPath("tidepool-pack"), "--player", player, project, saver}, {});
  return pack.exitCode == 0 ? saver : std::string();
}

// Median time of UnpackProject alone; the clean-up between rounds is not timed, as the
// copy that cp makes is not removed between its rounds either.
double UnpackSeconds(const std::string& saver) {
  SetSaverPath(saver);
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    TMpCProject project;
    const auto t0 = std::chrono::steady_clock::now();
    UnpackProject(project, saver);
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    RemoveUnpackedProject(project);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void BM_MarkerSearch(benchmark::State& state) {
  static ScratchDir dir("marker-bm");
  static std::string saver;
  if (saver.empty()) {
    WriteRandom(dir / "player", 2 * 1024 * 1024, 99);
    saver = MakeSaver(dir, 1, dir / "player");
  }
  for (auto _ : state) benchmark::DoNotOptimize(FindSectionMarker(saver).found);
}
BENCHMARK(BM_MarkerSearch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  {
    ScratchDir dir("unpack");
    setenv("TMPDIR", dir.path().c_str(), 1);
    const std::string saver = MakeSaver(dir, 200, PlayerPath());
    if (!saver.empty()) {
      const double ours = UnpackSeconds(saver);
      const double cp = CommandSeconds("cp '" + saver + "' '" + (dir / "copy.scr") + "'", 3);
      Figure("unpack_ms", ours * 1000.0);
      Figure("cp_ms", cp * 1000.0);
      if (cp > 0) Figure("unpack_vs_cp", cp / ours);
    }
  }
  {
    ScratchDir dir("marker");
    // The real player's bytes, repeated to 2 MB (it holds no marker); the project follows.
    std::string image;
    {
      std::ifstream in(PlayerPath(), std::ios::binary);
      image.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (image.empty()) image.assign(4096, '\0');
    std::string padded;
    while (padded.size() < 2 * 1024 * 1024) padded += image;
    padded.resize(2 * 1024 * 1024);
    std::ofstream(dir / "player", std::ios::binary) << padded;
    const std::string saver = MakeSaver(dir, 1, dir / "player");
    if (!saver.empty()) {
      const double seconds = MedianSeconds([&] { benchmark::DoNotOptimize(FindSectionMarker(saver).found); }, 20, 1.0);
      Figure("marker_search_mb_per_s", 2.0 / seconds);
    }
  }
  return RunAndReport(argc, argv);
}
