#pragma once
// The steady clock as a wrapping 32-bit millisecond tick.
#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace tp {

class QtClock : public Clock {
 public:
  uint32_t Tick() override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace tp
