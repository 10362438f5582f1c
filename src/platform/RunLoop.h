#pragma once
// The message loop seam: the modal loop of the saver window is portable code above it.

namespace tp {

class RunLoop {
 public:
  virtual ~RunLoop() = default;
  // Delivers pending input and notifications to their handlers; returns at once when none.
  virtual void PumpMessages() = 0;
  // Blocks until a message is pending (or a short time has passed).
  virtual void WaitMessage() = 0;
};

}  // namespace tp
