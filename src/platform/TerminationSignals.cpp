#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace tp {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};

int g_signalPipe[2] = {-1, -1};
struct sigaction g_previous[2];
std::atomic<bool> g_active{false};

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // Non-blocking: a full pipe already holds enough wake-ups.
  [[maybe_unused]] ssize_t written = write(g_signalPipe[1], &byte, 1);
  errno = saved;
}

void MakePipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot create a pipe");
}

void ClosePipe(int fds[2]) {
  for (int i = 0; i < 2; ++i) {
    if (fds[i] >= 0) close(fds[i]);
    fds[i] = -1;
  }
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (g_active.exchange(true)) throw std::logic_error("termination signals are already watched");
  MakePipe(g_signalPipe);
  MakePipe(stopPipe_);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &g_previous[i]);
  watcher_ = std::thread([this] { Watch(); });
}

TerminationSignals::~TerminationSignals() {
  const char byte = 1;
  [[maybe_unused]] ssize_t written = write(stopPipe_[1], &byte, 1);
  watcher_.join();
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  ClosePipe(g_signalPipe);
  ClosePipe(stopPipe_);
  g_active = false;
}

void TerminationSignals::Watch() {
  // Signals are handled by the thread they interrupt; this thread only reads the pipe.
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int s : kSignals) sigaddset(&blocked, s);
  pthread_sigmask(SIG_BLOCK, &blocked, nullptr);

  pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (fds[0].revents & POLLIN) {
      char buffer[16];
      while (read(g_signalPipe[0], buffer, sizeof buffer) > 0) onSignal_();
    }
  }
}

}  // namespace tp
