// The whole player on the real Qt xcb display of an Xvfb started here, against wall time:
//   saver_cpu_share_1080p     CPU seconds of the player plus the X server per second of a
//                             saver of four 5120x2880 photos (10 s each, 2 s transitions)
//                             on a 1920x1080 screen; goal <= 0.08
//   transition_frames_median  the median "steps=" of that run's transitions (about
//                             2000 / 17 at 60 Hz)
//   motion_cpu_share_1080p60  the same for a folder show of such photos with motion at
//                             60 frames a second; goal <= 0.15
//   motion_cpu_share_2160p60  that folder show on a 3840x2160 screen
//   motion_cpu_share_1080p60_llvmpipe  the 1080p folder show on the GPU path, drawn by
//                             Mesa's software OpenGL (TIDEPOOL_GL=1); the others run with
//                             TIDEPOOL_GL=0, the CPU path
// Each run is measured over 25 s after 3 s of start-up; the player's and the server's
// parts are printed too. Needs Xvfb (install-deps.sh bench); without it nothing is printed.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "imaging/ImageWriter.h"
#include "support/BenchFiles.h"
#include "support/BenchPictures.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using namespace tp::bench;

constexpr int kPhotoWidth = 5120, kPhotoHeight = 2880, kPhotos = 4;
constexpr double kStartSeconds = 3, kMeasureSeconds = 25;

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// Ends a child (SIGTERM, then SIGKILL after 5 s) and reaps it.
void Stop(int pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return;
    Pause(0.05);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

// An Xvfb of its own on a free display number, for the life of this object.
class VirtualScreen {
 public:
  VirtualScreen(int width, int height) {
    for (int n = 90 + int(::getpid() % 50); n < 200 && pid_ < 0; ++n) {
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
      const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      struct stat st {};
      if (::stat(socket.c_str(), &st) == 0 || ::stat(lock.c_str(), &st) == 0) continue;
      const std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
      pid_ = StartChild({"/usr/bin/Xvfb", ":" + std::to_string(n), "-screen", "0", size, "-nolisten", "tcp"}, {});
      for (int i = 0; i < 100 && pid_ > 0 && ::stat(socket.c_str(), &st) != 0; ++i) Pause(0.05);
      if (pid_ > 0 && ::stat(socket.c_str(), &st) != 0) {
        Stop(pid_);
        pid_ = -1;
      }
      if (pid_ > 0) display_ = ":" + std::to_string(n);
    }
  }
  ~VirtualScreen() { Stop(pid_); }
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;
  bool ok() const { return pid_ > 0; }
  int pid() const { return pid_; }
  const std::string& display() const { return display_; }

 private:
  int pid_ = -1;
  std::string display_;
};

// Four photo-like pictures of a camera's size, each in its own colours.
std::vector<std::string> WritePhotos(const std::string& folder) {
  std::filesystem::create_directories(folder);
  const Bitmap32 base = PhotoLike(kPhotoWidth, kPhotoHeight);
  std::vector<std::string> names;
  for (int i = 0; i < kPhotos; ++i) {
    Bitmap32 b = base;
    for (size_t p = 0; p < b.pixelCount(); ++p) {
      const Pixel c = b.data()[p];
      const uint8_t r = PixelR(c), g = PixelG(c), bl = PixelB(c);
      b.data()[p] = i == 0 ? c : i == 1 ? MakePixel(g, bl, r, 255) : i == 2 ? MakePixel(bl, r, g, 255) : MakePixel(255 - r, g, bl, 255);
    }
    const std::vector<uint8_t> jpeg = EncodeJpeg(b, 90);
    const std::string name = "photo" + std::to_string(i) + ".jpg";
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    names.push_back(name);
  }
  return names;
}

std::string PackSaver(const ScratchDir& dir, const std::vector<std::string>& names) {
  const std::string project = dir / "project";
  std::ofstream list(project + "/filelist.ini");
  list << "[FileList]\r\n";
  for (const std::string& name : names) list << name << "=1\r\n";
  list.close();
  std::ofstream(project + "/settings.ini")
      << "[Default]\r\nMusic=0\r\nSound=0\r\nStretch=1\r\nProportional=1\r\nShowImageMode=1\r\n"
         "Duration=10\r\nTransition=1\r\nTransitionTime=2000\r\n";
  const std::string saver = dir / "Bench.scr";
  const ChildRun pack = RunChild({ToolPath("tidepool-pack"), "--player", PlayerPath(), project, saver}, {});
  return pack.exitCode == 0 ? saver : std::string();
}

struct Share {
  double player = -1, server = -1;
  double total() const { return player < 0 || server < 0 ? -1 : player + server; }
};

// Runs args on the screen and measures both processes' CPU time over kMeasureSeconds.
Share Measure(const VirtualScreen& screen, const ScratchDir& dir, const std::vector<std::string>& args,
              const std::string& eventLog, const std::string& extraEnv = "TIDEPOOL_GL=0") {
  const std::vector<std::string> env = {extraEnv, "QT_QPA_PLATFORM=xcb",        "DISPLAY=" + screen.display(),
                                        "TIDEPOOL_EVENT_LOG=" + eventLog, "SDL_AUDIODRIVER=dummy",
                                        "TMPDIR=" + dir.path(),        "HOME=" + dir.path(),
                                        "XDG_CACHE_HOME=" + dir / "cache", "XDG_CONFIG_HOME=" + dir / "config"};
  const int pid = StartChild(args, env);
  if (pid < 0) return {};
  Pause(kStartSeconds);
  const double player0 = ProcessCpuSeconds(pid), server0 = ProcessCpuSeconds(screen.pid());
  const auto t0 = std::chrono::steady_clock::now();
  Pause(kMeasureSeconds);
  const double player1 = ProcessCpuSeconds(pid), server1 = ProcessCpuSeconds(screen.pid());
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  Stop(pid);
  if (player0 < 0 || player1 < 0 || server0 < 0 || server1 < 0) return {};
  return {(player1 - player0) / wall, (server1 - server0) / wall};
}

// The median "steps=" of the transitions in an event log; -1 without any.
double MedianSteps(const std::string& eventLog) {
  std::vector<int> steps;
  std::ifstream in(eventLog);
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find(" transition ");
    const size_t s = line.find("steps=");
    if (at != std::string::npos && s != std::string::npos) steps.push_back(std::atoi(line.c_str() + s + 6));
  }
  if (steps.empty()) return -1;
  std::sort(steps.begin(), steps.end());
  return steps[steps.size() / 2];
}

void Report(const std::string& name, const Share& share) {
  if (share.total() < 0) {
    std::fprintf(stderr, "%s: the run could not be measured\n", name.c_str());
    return;
  }
  Figure(name, share.total());
  Figure(name + "_player", share.player);
  Figure(name + "_xserver", share.server);
}

}  // namespace

int main(int argc, char** argv) {
  if (::access("/usr/bin/Xvfb", X_OK) != 0) {
    std::fprintf(stderr, "bench_cpu_share: no Xvfb (scripts/install-deps.sh bench installs it)\n");
    return RunAndReport(argc, argv);
  }
  ScratchDir dir("cpu-share");
  const std::vector<std::string> names = WritePhotos(dir / "project/files");
  {
    const std::string saver = PackSaver(dir, names);
    VirtualScreen screen(1920, 1080);
    if (!saver.empty() && screen.ok()) {
      const std::string log = dir / "saver-events.log";
      Report("saver_cpu_share_1080p", Measure(screen, dir, {saver, "/s"}, log));
      Figure("transition_frames_median", MedianSteps(log));
    }
  }
  const std::vector<std::string> show = {PlayerPath(), "--folder", dir / "project/files", "--duration", "10",
                                         "--motion", "gentle", "--fps", "60"};
  for (const auto& [w, h, name] : {std::tuple{1920, 1080, "motion_cpu_share_1080p60"},
                                   std::tuple{3840, 2160, "motion_cpu_share_2160p60"}}) {
    VirtualScreen screen(w, h);
    if (screen.ok()) Report(name, Measure(screen, dir, show, dir / (std::string(name) + "-events.log")));
  }
  {
    // The GPU path drawn by Mesa's software OpenGL, which the show would not choose itself:
    // what its drawing costs where no GPU does it (a real GPU takes the drawing off the CPU).
    VirtualScreen screen(1920, 1080);
    if (screen.ok())
      Report("motion_cpu_share_1080p60_llvmpipe",
             Measure(screen, dir, show, dir / "motion-llvmpipe-events.log", "TIDEPOOL_GL=1"));
  }
  return RunAndReport(argc, argv);
}
