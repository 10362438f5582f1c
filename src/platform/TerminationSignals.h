#pragma once
// SIGTERM and SIGINT turned into an ordinary call: the signal handler only writes a byte
// into a pipe, and a watcher thread reading that pipe calls onSignal (on the watcher
// thread; signals that arrive together may give one call). Only one instance may exist at a time; the previous signal
// dispositions are restored when it is destroyed.
#include <functional>
#include <thread>

namespace tp {

class TerminationSignals {
 public:
  explicit TerminationSignals(std::function<void()> onSignal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 private:
  void Watch();

  std::function<void()> onSignal_;
  int stopPipe_[2] = {-1, -1};
  std::thread watcher_;
};

}  // namespace tp
