#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace tp {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

std::atomic<bool> g_requested{false};
// Made once and never closed: a handler running on another thread may write to it at
// any moment until the process ends.
int g_pipe[2] = {-1, -1};
std::once_flag g_installed;

// Never destroyed, so the dispatcher may still use it while the process exits.
struct Watchers {
  std::mutex mutex;
  std::vector<std::function<void()>*> calls;
  bool dispatcherRunning = false;
};
Watchers& TheWatchers() {
  static Watchers* watchers = new Watchers;
  return *watchers;
}

void Wake() {
  const char byte = 1;
  // Non-blocking: a full pipe already holds enough wake-ups.
  [[maybe_unused]] ssize_t written = write(g_pipe[1], &byte, 1);
}

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  g_requested.store(true);
  Wake();
  errno = saved;
}

void CallWatchers() {
  Watchers& w = TheWatchers();
  std::lock_guard<std::mutex> lock(w.mutex);
  for (auto* call : w.calls) (*call)();
}

void Dispatch() {
  // The signals are handled by the threads they interrupt; this one only reads the pipe.
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int s : kSignals) sigaddset(&blocked, s);
  pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
  pollfd fd{g_pipe[0], POLLIN, 0};
  for (;;) {
    if (poll(&fd, 1, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    char buffer[16];
    bool any = false;
    while (read(g_pipe[0], buffer, sizeof buffer) > 0) any = true;
    if (any) CallWatchers();
  }
}

}  // namespace

void InstallTerminationSignals() {
  std::call_once(g_installed, [] {
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
      std::perror("tidepool: cannot watch termination signals");
      return;
    }
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) sigaction(s, &action, nullptr);
  });
}

bool TerminationRequested() { return g_requested.load(); }

void RequestTermination() {
  InstallTerminationSignals();
  g_requested.store(true);
  if (g_pipe[1] >= 0) Wake();
}

void ForgetTerminationRequest() { g_requested.store(false); }

TerminationSignals::TerminationSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
  InstallTerminationSignals();
  Watchers& w = TheWatchers();
  std::lock_guard<std::mutex> lock(w.mutex);
  if (!w.dispatcherRunning && g_pipe[0] >= 0) {
    // Lives until the process ends, blocked in poll while nothing happens.
    std::thread(Dispatch).detach();
    w.dispatcherRunning = true;
  }
  w.calls.push_back(&onSignal_);
  if (g_requested.load()) onSignal_();
}

TerminationSignals::~TerminationSignals() {
  Watchers& w = TheWatchers();
  std::lock_guard<std::mutex> lock(w.mutex);
  std::erase(w.calls, &onSignal_);
}

}  // namespace tp
