#include "platform/headless/HeadlessClock.h"

namespace tp {

HeadlessClock::HeadlessClock(bool realClock)
    : real_(realClock), uiThread_(std::this_thread::get_id()), start_(std::chrono::steady_clock::now()) {}

uint32_t HeadlessClock::Tick() {
  if (real_) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    return uint32_t(ms.count());
  }
  return now_.load();
}

void HeadlessClock::Advance(uint32_t ms) {
  if (real_ || ms == 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now_.fetch_add(ms);
  }
  moved_.notify_all();
}

void HeadlessClock::Sleep(uint32_t ms) {
  if (real_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  if (std::this_thread::get_id() == uiThread_) {
    Advance(ms);
    return;
  }
  const uint32_t start = now_.load();
  std::unique_lock<std::mutex> lock(mutex_);
  moved_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return uint32_t(now_.load() - start) >= ms; });
}

}  // namespace tp
