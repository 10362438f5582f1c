#pragma once
// The headless message loop: runs posted functions, delivers due script events to the
// input handler of the display that is open, and makes the TIDEPOOL_RUN_MS close request.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Input.h"
#include "platform/RunLoop.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessScript.h"

namespace tp {

class HeadlessRunLoop : public RunLoop {
 public:
  HeadlessRunLoop(HeadlessClock& clock, std::vector<ScriptEvent> events, std::optional<uint32_t> runMs);

  void PumpMessages() override;
  // Virtual clock: moves time to the next script event or close request, at most 10 ms
  // ahead, unless a posted function is waiting. Real clock: waits up to 5 ms for a post.
  void WaitMessage() override;
  void Post(std::function<void()> fn) override;
  // Runs fn at the first pump once the clock has reached tick (a wrapping millisecond
  // count); the virtual clock's waits stop there.
  void PostAt(uint32_t tick, std::function<void()> fn);

  // The open display's handler receives input; a display clears it when it closes.
  void SetInputHandler(InputHandler* handler);
  void ClearInputHandler(InputHandler* handler);

 private:
  void Deliver(const ScriptEvent& e);

  HeadlessClock& clock_;
  std::vector<ScriptEvent> events_;
  size_t nextEvent_ = 0;
  std::optional<uint32_t> runMs_;
  InputHandler* handler_ = nullptr;
  bool closeRequested_ = false;  // for the current handler
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> queue_;
  struct Timed {
    uint32_t tick;
    std::function<void()> fn;
  };
  std::vector<Timed> timed_;  // in the order they were posted
};

}  // namespace tp
