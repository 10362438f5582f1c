#include "platform/headless/HeadlessClock.h"

#include <algorithm>

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
  if (real_) return;
  std::unique_lock<std::mutex> lock(mutex_);
  const uint32_t base = now_.load();
  for (;;) {
    // Nothing is decided while a worker runs: it may still pause at a time before others.
    // A cancelled pause counts as running, or its old wake-up could be granted before the
    // worker has seen the cancel.
    changed_.wait(lock, [this] { return AllPaused(); });
    auto next = parked_.end();
    uint32_t nextOffset = 0;
    for (auto it = parked_.begin(); it != parked_.end(); ++it) {
      const uint32_t offset = (*it)->wake - base;
      if (offset > ms) continue;
      if (next == parked_.end() || offset < nextOffset || (offset == nextOffset && (*it)->id < (*next)->id)) {
        next = it;
        nextOffset = offset;
      }
    }
    if (next == parked_.end()) break;
    Parked* p = *next;
    parked_.erase(next);
    now_.store(base + nextOffset);
    p->granted = true;
    ++running_;
    changed_.notify_all();
  }
  now_.store(base + ms);
  changed_.notify_all();
}

bool HeadlessClock::AllPaused() const {
  if (running_ != 0) return false;
  return std::none_of(parked_.begin(), parked_.end(), [](const Parked* p) { return p->cancel->load(); });
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
  // A thread that is not a worker: it waits for the time and holds up nobody.
  std::unique_lock<std::mutex> lock(mutex_);
  const uint32_t start = now_.load();
  changed_.wait(lock, [&] { return uint32_t(now_.load() - start) >= ms; });
}

Clock::WorkerId HeadlessClock::BeginWorker() {
  if (real_) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  ++running_;
  return nextId_++;
}

bool HeadlessClock::WorkerSleep(WorkerId id, uint32_t ms, const std::atomic<bool>& cancel) {
  if (real_) return Clock::WorkerSleep(id, ms, cancel);
  std::unique_lock<std::mutex> lock(mutex_);
  if (cancel.load()) return false;
  Parked self{now_.load() + ms, id, false, &cancel};
  parked_.push_back(&self);
  if (running_ > 0) --running_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return self.granted || cancel.load(); });
  if (self.granted) return true;
  parked_.erase(std::find(parked_.begin(), parked_.end(), &self));
  ++running_;
  return false;
}

void HeadlessClock::EndWorker(WorkerId) {
  if (real_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_ > 0) --running_;
  }
  changed_.notify_all();
}

void HeadlessClock::WakeWorkers() {
  if (real_) return;
  { std::lock_guard<std::mutex> lock(mutex_); }
  changed_.notify_all();
}

}  // namespace tp
