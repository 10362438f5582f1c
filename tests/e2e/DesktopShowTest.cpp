// The real player on the desktop backend (offscreen), with music through SDL's disk
// audio driver, ended by SIGTERM as a session or daemon would end it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "core/FileSystem.h"
#include "e2e/SpawnedProcess.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

// The largest absolute 16-bit sample in a raw sample file.
int PeakOf(const std::string& path) {
  std::string bytes;
  if (!ReadFile(path, bytes)) return -1;
  int peak = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const int16_t v = int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
    peak = std::max(peak, std::abs(int(v)));
  }
  return peak;
}

TEST(DesktopShow, MusicPlaysAndSigtermEndsTheShowWithItsCleanUp) {
  if (RunCommand("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is needed to make the tune";
  TempDir work, tmp, runtime;
  ::chmod(runtime.path().c_str(), 0700);
  ProjectFolder project(work / "show");
  project.SetSettings("[Default]\r\nDuration=1\r\nTransitionTime=200\r\n[Advance]\r\nMusicFile=tune.wav\r\n");
  project.AddPicture("a.jpg", "64x48", "xc:red");
  project.AddPicture("b.jpg", "64x48", "xc:blue");
  ASSERT_EQ(RunCommand("sox -n -r 22050 -c 1 '" + (work / "show/files/tune.wav") + "' synth 4 sine 440 vol 0.5"), 0);
  ASSERT_EQ(project.Pack(work / "Show.scr"), 0);

  const std::string audio = work / "audio.raw";
  const pid_t pid = Spawn({work / "Show.scr", "/s"},
                          {"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + audio,
                           "TMPDIR=" + tmp.path(), "XDG_RUNTIME_DIR=" + runtime.path(),
                           "TIDEPOOL_EVENT_LOG=" + (work / "events.log")});
  ASSERT_GT(pid, 0);
  // Wait until the project is unpacked and the music has produced some sound.
  bool playing = false;
  for (int i = 0; i < 100 && !playing; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    playing = !tmp.List().empty() && PeakOf(audio) > 8000;
  }
  EXPECT_TRUE(playing) << "no music came out";
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExitWithin(pid, 15000), 0) << "the show did not end on SIGTERM";
  EXPECT_TRUE(tmp.List().empty()) << "the extraction folder was left behind";
  const auto events = ReadLines(work / "events.log");
  bool closed = false;
  for (const std::string& e : events) closed = closed || e.find("close-query allowed") != std::string::npos;
  EXPECT_TRUE(closed);
}

// A closed terminal or session (SIGHUP) and SIGQUIT end the show like SIGTERM does.
TEST(DesktopShow, HangupAndQuitEndTheShowWithItsCleanUp) {
  TempDir work;
  ProjectFolder project(work / "show");
  project.SetSettings("[Default]\r\nDuration=1\r\n");
  project.AddPicture("a.jpg", "64x48", "xc:red");
  ASSERT_EQ(project.Pack(work / "Show.scr"), 0);
  for (int sig : {SIGHUP, SIGQUIT}) {
    TempDir tmp, runtime;
    ::chmod(runtime.path().c_str(), 0700);
    const pid_t pid = Spawn({work / "Show.scr", "/s"},
                            {"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=dummy", "TMPDIR=" + tmp.path(),
                             "XDG_RUNTIME_DIR=" + runtime.path()});
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 100 && tmp.List().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(tmp.List().empty()) << "the project was never unpacked";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(pid, sig);
    EXPECT_EQ(WaitExitWithin(pid, 15000), 0) << "signal " << sig;
    EXPECT_TRUE(tmp.List().empty()) << "signal " << sig << " left the extraction folder behind";
  }
}

}  // namespace
}  // namespace tp::test
