#pragma once
// SIGTERM, SIGINT, SIGHUP and SIGQUIT ask the program to end with its usual clean-up.
// InstallTerminationSignals (the first thing main does) puts a handler on them for the
// whole process; the handler only raises a flag and writes a byte into a pipe that lives
// as long as the process. Long steps poll TerminationRequested(); a TerminationSignals
// watcher turns the request into a call of its own (on a dispatcher thread), for run loops
// that sleep until something happens.
#include <functional>

namespace tp {

// Idempotent; also done by the first watcher.
void InstallTerminationSignals();
// True once one of the signals arrived (or RequestTermination was called).
bool TerminationRequested();
// What a signal does, for causes found by the program itself (a lost display connection).
void RequestTermination();
// Clears the request; for tests that raise the signals themselves.
void ForgetTerminationRequest();

class TerminationSignals {
 public:
  // onSignal runs on the dispatcher thread after every request while this watcher lives,
  // and at once (on the calling thread) when a request came before it was made. Any
  // number of watchers may exist; each is called.
  explicit TerminationSignals(std::function<void()> onSignal);
  // Once it returns, onSignal is not running and will not run again.
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 private:
  std::function<void()> onSignal_;
};

}  // namespace tp
