#include "animation/ObjectThread.h"

#include <chrono>

namespace tp {

void TObjectThread::Resume() {
  std::lock_guard<std::mutex> lk(m_);
  if (terminate_) return;
  running_ = true;
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
  std::lock_guard<std::mutex> lk(m_);
  terminate_ = true;
  running_ = false;
  cv_.notify_all();
}

void TObjectThread::Terminate() {
  RequestTerminate();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
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

void TObjectThread::Run() {
  std::unique_lock<std::mutex> lk(m_);
  for (;;) {
    cv_.wait(lk, [this] { return terminate_ || running_; });
    if (terminate_) break;
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
    if (terminate_) break;
    lk.unlock();
    if (pause_) {
      pause_();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
    lk.lock();
  }
}

}  // namespace tp
