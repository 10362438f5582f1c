#pragma once
// The message loop seam: the modal loop of the saver window is portable code above it.
#include <functional>

namespace tp {

class RunLoop {
 public:
  virtual ~RunLoop() = default;
  // Delivers pending input and notifications to their handlers; returns at once when none.
  virtual void PumpMessages() = 0;
  // Blocks until a message is pending (or a short time has passed).
  virtual void WaitMessage() = 0;
  // Queues fn to run on the UI thread at the next PumpMessages. Safe from any thread.
  virtual void Post(std::function<void()> fn) = 0;
};

}  // namespace tp
