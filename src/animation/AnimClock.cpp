#include "animation/AnimClock.h"

#include <chrono>
#include <thread>

#include "platform/Platform.h"

namespace tp {
namespace {

class SteadyClock final : public Clock {
 public:
  uint32_t Tick() override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return uint32_t(ms);
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

Clock& DefaultAnimClock() {
  if (HasPlatform()) return CurrentPlatform().clock();
  static SteadyClock steady;
  return steady;
}

}  // namespace tp
