#pragma once
// The worker thread of one animation object: calls a step function every 5 ms of its
// clock while it is resumed. It is created suspended; Suspend returns only once no step
// is running, so the caller may then change the object freely; destruction (or
// Terminate) ends and joins the thread. The thread is a worker of its clock (Clock.h)
// while resumed: its first step after a resume and every later one run when the clock
// lets them.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/Clock.h"

namespace tp {

class TObjectThread {
 public:
  static constexpr int kStepMs = 5;

  // step runs once per cycle; clock null: the animation's default clock.
  explicit TObjectThread(std::function<void()> step, Clock* clock = nullptr)
      : step_(std::move(step)), clock_(clock) {}
  ~TObjectThread() { Terminate(); }
  TObjectThread(const TObjectThread&) = delete;
  TObjectThread& operator=(const TObjectThread&) = delete;

  // The clock the next resume paces on.
  void SetClock(Clock* clock);
  // Starts or continues stepping (the system thread is created on the first call).
  void Resume();
  // Stops stepping and waits until a step in progress has finished. Called from the
  // worker itself it only marks the thread suspended.
  void Suspend();
  // Ends the thread and joins it; the object can no longer be resumed.
  void Terminate();
  // Tells the thread to end without waiting (Terminate or destruction then joins).
  void RequestTerminate();

  bool Suspended() const;
  bool Terminated() const;
  // Steps run so far (for tests and diagnostics).
  long StepsRun() const;

 private:
  void Run();
  // Leaves the clock's workers if the thread is one (m_ held).
  void LeaveClock();

  std::function<void()> step_;
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::thread thread_;
  Clock* clock_ = nullptr;   // for the next resume
  Clock* active_ = nullptr;  // the clock this thread is a worker of, while it is one
  Clock::WorkerId workerId_ = 0;
  std::atomic<bool> cancel_{false};
  bool running_ = false;
  bool terminate_ = false;
  bool inStep_ = false;
  long steps_ = 0;
};

}  // namespace tp
