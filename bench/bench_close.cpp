// How quickly a key ends a desktop show:
//   close_ms  wall time from a key press sent to the show's window to the end of the
//            process (the close, the tear-down, the removal of the unpacked project),
//            median of five shows. The show runs on a private Xvfb server with the
//            desktop backend, music playing (SDL's dummy driver), sound effects on and a
//            packaged picture whose water ripples under sixteen moving objects; it has
//            no transitions, so the key never waits for one to end.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "imaging/ImageWriter.h"
#include "project/PackagedPicture.h"
#include "project/PackagedPictureWriter.h"
#include "support/BenchFiles.h"
#include "support/BenchReport.h"

extern char** environ;

namespace {

using namespace tp;
using namespace tp::bench;
using Clock = std::chrono::steady_clock;

// An Xvfb server on a display number of its own choosing; name() is empty when none runs.
class Xvfb {
 public:
  Xvfb() {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* args[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset", nullptr};
    const int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(args), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) pid_ = -1;
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (pid_ > 0 && poll(&p, 1, 10000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~Xvfb() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Ten seconds of a 440 Hz tone, 16-bit mono at 22050 Hz.
void WriteTune(const std::string& path) {
  const uint32_t rate = 22050, samples = rate * 10;
  std::string wav = "RIFF";
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) wav += char((v >> (8 * i)) & 0xFF); };
  auto u16 = [&](uint16_t v) { wav += char(v & 0xFF); wav += char(v >> 8); };
  u32(36 + samples * 2);
  wav += "WAVEfmt ";
  u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
  wav += "data";
  u32(samples * 2);
  for (uint32_t i = 0; i < samples; ++i) u16(uint16_t(int16_t(12000 * std::sin(i * 2 * 3.14159265 * 440 / rate))));
  std::ofstream(path, std::ios::binary) << wav;
}

std::string MakeSaver(const ScratchDir& dir) {
  const std::string project = dir / "project";
  std::filesystem::create_directories(project + "/files");
  TProject lake;
  lake.picture.SetSize(1024, 768);
  lake.areaMask.SetSize(1024, 768);
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) {
      lake.picture.at(x, y) = MakePixel(uint8_t(x / 4), uint8_t(y / 3), uint8_t((x ^ y) & 0xFF), 255);
      lake.areaMask.at(x, y) = kAreaMaskColors[y < 384 ? 0 : 1];
    }
  lake.wave(0).Amplitude = 6;
  std::string objects;
  for (int i = 0; i < 16; ++i)
    objects += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\nFilename=ball.jpg\r\nMotion=2\r\nMotionSpeed=" +
               std::to_string(10 + i) + "\r\nPosLeftType=4\r\nPosTopType=4\r\n";
  lake.animationText = objects;
  SavePackagedPicture(lake, project + "/files/lake.mpp", 90);
  Bitmap32 ball(48, 48);
  ball.Fill(MakePixel(240, 200, 20, 255));
  WriteBytes(project + "/files/ball.jpg", EncodeJpeg(ball, 90));
  WriteTune(project + "/files/tune.wav");
  std::ofstream(project + "/filelist.ini") << "[FileList]\r\nlake.mpp=1\r\n";
  std::ofstream(project + "/settings.ini")
      << "[Default]\r\nStretch=0\r\nDuration=3600\r\nTransition=0\r\nSound=1\r\nDirectX=0\r\n"
         "[Advance]\r\nMusicFile=tune.wav\r\n";
  const std::string saver = dir / "Close.scr";
  const ChildRun pack = RunChild({ToolPath("tidepool-pack"), "--player", PlayerPath(), project, saver}, {});
  return pack.exitCode == 0 ? saver : std::string();
}

// The biggest mapped top-level window: the show's.
Window ShowWindow(::Display* dpy) {
  Window root = DefaultRootWindow(dpy), parent, *children = nullptr, found = 0;
  unsigned count = 0;
  long bestArea = 0;
  if (!XQueryTree(dpy, root, &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable) continue;
    if (long(a.width) * a.height > bestArea) {
      bestArea = long(a.width) * a.height;
      found = children[i];
    }
  }
  if (children) XFree(children);
  return found;
}

// Starts the show, lets it run, presses a key in its window; the seconds until it ended.
double CloseSeconds(const Xvfb& x, const ScratchDir& dir, const std::string& saver) {
  const std::string runtime = dir / "runtime";
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  std::vector<std::string> env = {"DISPLAY=" + x.name(), "QT_QPA_PLATFORM=xcb", "SDL_AUDIODRIVER=dummy",
                                  "TMPDIR=" + dir.path(), "XDG_RUNTIME_DIR=" + runtime};
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string a0 = saver, a1 = "/s";
  char* argv[] = {a0.data(), a1.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, saver.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  ::Display* dpy = XOpenDisplay(x.name().c_str());
  Window window = 0;
  for (int i = 0; i < 200 && dpy && !window; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    window = ShowWindow(dpy);
  }
  double seconds = -1;
  if (window) {
    std::this_thread::sleep_for(std::chrono::seconds(3));  // music, sounds and objects under way
    XKeyEvent key{};
    key.type = KeyPress;
    key.display = dpy;
    key.window = window;
    key.root = DefaultRootWindow(dpy);
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(dpy, XK_a);
    key.time = CurrentTime;
    const auto t0 = Clock::now();
    XSendEvent(dpy, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
    XFlush(dpy);
    for (int i = 0; i < 20000; ++i) {
      if (waitpid(pid, nullptr, WNOHANG) == pid) {
        seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        pid = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }
  if (dpy) XCloseDisplay(dpy);
  if (pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  {
    ScratchDir dir("close");
    Xvfb x;
    const std::string saver = x.name().empty() ? std::string() : MakeSaver(dir);
    if (saver.empty()) {
      std::fprintf(stderr, "close_ms: needs Xvfb and tidepool-pack\n");
    } else {
      std::vector<double> times;
      for (int i = 0; i < 5; ++i) {
        const double s = CloseSeconds(x, dir, saver);
        if (s >= 0) times.push_back(s);
      }
      if (times.size() == 5) {
        std::sort(times.begin(), times.end());
        Figure("close_ms", times[2] * 1000.0);
      } else {
        std::fprintf(stderr, "close_ms: the key ended only %zu of 5 shows\n", times.size());
      }
    }
  }
  return RunAndReport(argc, argv);
}
