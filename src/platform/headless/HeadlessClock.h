#pragma once
// The headless clock. Virtual: starts at 0 and moves only when the UI thread sleeps,
// waits for messages or presents a frame; other threads that sleep wait until the virtual
// time reaches their wake-up time, but never longer than the same span of real time, so
// they can always be stopped. Real (TIDEPOOL_REAL_CLOCK=1): the steady clock from the
// backend's start.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/Clock.h"

namespace tp {

class HeadlessClock : public Clock {
 public:
  explicit HeadlessClock(bool realClock);
  uint32_t Tick() override;
  void Sleep(uint32_t ms) override;
  // Moves virtual time forward (no effect on a real clock).
  void Advance(uint32_t ms);
  bool IsVirtual() const { return !real_; }

 private:
  bool real_;
  std::thread::id uiThread_;
  std::chrono::steady_clock::time_point start_;
  std::atomic<uint32_t> now_{0};
  std::mutex mutex_;
  std::condition_variable moved_;
};

}  // namespace tp
