#pragma once
// The headless clock. Virtual: starts at 0 and moves only when the UI thread sleeps,
// waits for messages or presents a frame. While the UI thread sleeps, the clock steps
// through the wake-up times of the paused workers (see Clock.h) in order, and at each one
// lets the workers due there run, one at a time (earlier-registered first), each until it
// pauses again; only then does it move on. Workers so never run beside the UI thread or
// each other, and a run repeats exactly. Other threads that call Sleep wait until the
// virtual time reaches their wake-up time. Real (TIDEPOOL_REAL_CLOCK=1): the steady clock
// from the backend's start.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Clock.h"

namespace tp {

class HeadlessClock : public Clock {
 public:
  explicit HeadlessClock(bool realClock);
  uint32_t Tick() override;
  void Sleep(uint32_t ms) override;
  // Moves virtual time forward by ms, running the workers due on the way (no effect on
  // a real clock). Called on the UI thread.
  void Advance(uint32_t ms);
  bool IsVirtual() const { return !real_; }

  WorkerId BeginWorker() override;
  bool WorkerSleep(WorkerId id, uint32_t ms, const std::atomic<bool>& cancel) override;
  void EndWorker(WorkerId id) override;
  void WakeWorkers() override;

 private:
  struct Parked {
    uint32_t wake;
    WorkerId id;
    bool granted;
    const std::atomic<bool>* cancel;  // set: the worker is about to leave its pause
  };
  // No worker runs, and none is leaving its pause because it was cancelled. Called with
  // mutex_ held.
  bool AllPaused() const;

  bool real_;
  std::thread::id uiThread_;
  std::chrono::steady_clock::time_point start_;
  std::atomic<uint32_t> now_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Parked*> parked_;  // paused workers, waiting for their wake-up
  int running_ = 0;              // workers that are running (registered and not paused)
  WorkerId nextId_ = 1;
};

}  // namespace tp
