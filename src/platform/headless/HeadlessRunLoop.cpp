#include "platform/headless/HeadlessRunLoop.h"

#include <cstdio>

namespace tp {

HeadlessRunLoop::HeadlessRunLoop(HeadlessClock& clock, std::vector<ScriptEvent> events,
                                 std::optional<uint32_t> runMs)
    : clock_(clock), events_(std::move(events)), runMs_(runMs) {}

void HeadlessRunLoop::SetInputHandler(InputHandler* handler) {
  handler_ = handler;
  closeRequested_ = false;
}

void HeadlessRunLoop::ClearInputHandler(InputHandler* handler) {
  if (handler_ == handler) handler_ = nullptr;
}

void HeadlessRunLoop::Post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  posted_.notify_all();
}

void HeadlessRunLoop::PostAt(uint32_t tick, std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timed_.push_back({tick, std::move(fn)});
  }
  posted_.notify_all();
}

namespace {
// True when tick is at or before now on the wrapping clock.
bool Reached(uint32_t tick, uint32_t now) { return int32_t(now - tick) >= 0; }
}  // namespace

void HeadlessRunLoop::Deliver(const ScriptEvent& e) {
  if (e.kind == ScriptEvent::Kind::Other) {
    const ScriptCommandHook& hook = GetScriptCommandHook();
    if (!hook || !hook(e))
      std::fprintf(stderr, "tidepool: script line %d: unknown command '%s'\n", e.line, e.command.c_str());
    return;
  }
  if (!handler_) return;
  switch (e.kind) {
    case ScriptEvent::Kind::Move:
      handler_->OnMouseMove(e.x, e.y);
      break;
    case ScriptEvent::Kind::Click: {
      MouseButton b = e.rightButton ? MouseButton::Right : MouseButton::Left;
      handler_->OnMouseDown(b);
      if (handler_) handler_->OnMouseUp(b);
      break;
    }
    case ScriptEvent::Kind::Key:
      handler_->OnKeyDown(e.virtualKey);
      if (handler_) handler_->OnKeyPress(e.character);
      break;
    case ScriptEvent::Kind::KeyCode:
      handler_->OnKeyDown(e.virtualKey);
      break;
    case ScriptEvent::Kind::Other:
      break;
  }
}

void HeadlessRunLoop::PumpMessages() {
  std::deque<std::function<void()>> due;
  const uint32_t now = clock_.Tick();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    due.swap(queue_);
    for (size_t i = 0; i < timed_.size();) {
      if (Reached(timed_[i].tick, now)) {
        due.push_back(std::move(timed_[i].fn));
        timed_.erase(timed_.begin() + std::ptrdiff_t(i));
      } else {
        ++i;
      }
    }
  }
  for (auto& fn : due) fn();

  // A handler may pump again (e.g. from a message box), so advance before delivering.
  while (nextEvent_ < events_.size() && events_[nextEvent_].time <= now) {
    const ScriptEvent& e = events_[nextEvent_++];
    Deliver(e);
  }
  if (runMs_ && now >= *runMs_ && handler_ && !closeRequested_) {
    closeRequested_ = true;
    handler_->OnCloseRequest();
  }
}

void HeadlessRunLoop::WaitMessage() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!queue_.empty()) return;
  if (!clock_.IsVirtual()) {
    posted_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !queue_.empty(); });
    return;
  }
  const uint32_t now = clock_.Tick();
  uint32_t target = now + 10;
  for (const Timed& t : timed_) {
    if (Reached(t.tick, now)) return;  // due at the next pump
    if (int32_t(target - t.tick) > 0) target = t.tick;
  }
  lock.unlock();
  if (nextEvent_ < events_.size() && events_[nextEvent_].time < target)
    target = events_[nextEvent_].time > now ? events_[nextEvent_].time : now + 1;
  if (runMs_ && !closeRequested_ && *runMs_ < target) target = *runMs_ > now ? *runMs_ : now + 1;
  clock_.Advance(target - now);
}

}  // namespace tp
