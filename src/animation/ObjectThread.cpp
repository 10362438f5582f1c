#include "animation/ObjectThread.h"

#include "animation/AnimClock.h"

namespace tp {

void TObjectThread::SetClock(Clock* clock) {
  std::lock_guard<std::mutex> lk(m_);
  clock_ = clock;
}

void TObjectThread::Resume() {
  std::lock_guard<std::mutex> lk(m_);
  if (terminate_) return;
  running_ = true;
  if (!active_) {
    // The thread becomes a worker of its clock before it can run at all.
    active_ = clock_ ? clock_ : &DefaultAnimClock();
    workerId_ = active_->BeginWorker();
  }
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  cv_.notify_all();
}

void TObjectThread::Suspend() {
  std::unique_lock<std::mutex> lk(m_);
  running_ = false;
  if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) return;
  cv_.notify_all();
  cv_.wait(lk, [this] { return !inStep_; });
}

void TObjectThread::RequestTerminate() {
  Clock* pausedOn = nullptr;
  {
    std::lock_guard<std::mutex> lk(m_);
    terminate_ = true;
    running_ = false;
    cancel_ = true;
    pausedOn = active_;
    cv_.notify_all();
  }
  if (pausedOn) pausedOn->WakeWorkers();
}

void TObjectThread::Terminate() {
  RequestTerminate();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
  std::lock_guard<std::mutex> lk(m_);
  LeaveClock();  // a thread that never ran still holds its registration
}

bool TObjectThread::Suspended() const {
  std::lock_guard<std::mutex> lk(m_);
  return !running_;
}

bool TObjectThread::Terminated() const {
  std::lock_guard<std::mutex> lk(m_);
  return terminate_;
}

long TObjectThread::StepsRun() const {
  std::lock_guard<std::mutex> lk(m_);
  return steps_;
}

void TObjectThread::LeaveClock() {
  if (!active_) return;
  active_->EndWorker(workerId_);
  active_ = nullptr;
}

void TObjectThread::Run() {
  std::unique_lock<std::mutex> lk(m_);
  uint32_t pause = 0;  // after a resume the first step comes at once, when the clock allows
  for (;;) {
    if (terminate_) break;
    if (!running_) {
      LeaveClock();
      cv_.wait(lk, [this] { return terminate_ || running_; });
      pause = 0;
      continue;
    }
    Clock* clock = active_;
    const Clock::WorkerId id = workerId_;
    lk.unlock();
    clock->WorkerSleep(id, pause, cancel_);
    lk.lock();
    if (terminate_ || !running_) continue;
    inStep_ = true;
    lk.unlock();
    try {
      step_();
    } catch (...) {
      // A failed step (a picture that cannot be reloaded, say) is dropped; the next one runs.
    }
    lk.lock();
    inStep_ = false;
    ++steps_;
    cv_.notify_all();  // a Suspend may be waiting for the step to end
    pause = kStepMs;
  }
  LeaveClock();
}

}  // namespace tp
