#pragma once
// The run loop over Qt's event dispatcher.
#include "platform/RunLoop.h"

namespace tp {

class QtRunLoop : public RunLoop {
 public:
  void PumpMessages() override;
  void WaitMessage() override;
  void Post(std::function<void()> fn) override;

 private:
  // Checked before every round of events: a broken display connection becomes a
  // termination request.
  bool ConnectionLost();
  bool lost_ = false;
};

}  // namespace tp
