#pragma once
// The shows of the other screens, each a process of its own: one per screen beside the
// primary, started with the same command line and `--screen N`. They deal from the same
// deck (the index on disk), each at its screen's own size and pixel density. When one of
// them ends (a key or the mouse on its screen), the whole show ends; when this process
// ends, they are told to end and waited for, and the system ends them should it die.
#include <atomic>
#include <memory>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace tp {

class ScreenShows {
 public:
  ScreenShows() = default;
  // Ends every show still running (SIGTERM, then SIGKILL after kEndWaitMs).
  ~ScreenShows();
  ScreenShows(const ScreenShows&) = delete;
  ScreenShows& operator=(const ScreenShows&) = delete;

  static constexpr int kEndWaitMs = 3000;
  // Bounds the number of screens a display may claim to have.
  static constexpr int kMaxScreens = 16;

  // Starts the show of screen `screen` (1 and up): this program with args (without the
  // program itself) followed by `--screen N`. The diagnostic outputs named in the
  // environment (event and frame logs, frame dumps) get a "-screenN" suffix of their own.
  // False when the process cannot be started.
  bool Start(const std::vector<std::string>& args, int screen);
  // Screens whose show has ended on its own so far.
  int Ended() const { return ended_.load(); }
  void EndAll();

 private:
  struct Child {
    pid_t pid = -1;
    int screen = 0;
    std::atomic<bool> done{false};
    std::thread waiter;
  };
  std::vector<std::unique_ptr<Child>> children_;
  std::atomic<int> ended_{0};
  std::atomic<bool> ending_{false};
};

// In a screen's show started by ScreenShows: ends this process when the one that started it
// ends (at once, when it is already gone). Does nothing in any other process.
void EndWithStartingShow();

}  // namespace tp
