#pragma once
// The run loop over Qt's event dispatcher.
#include "platform/RunLoop.h"

namespace tp {

class QtRunLoop : public RunLoop {
 public:
  void PumpMessages() override;
  void WaitMessage() override;
  void Post(std::function<void()> fn) override;
};

}  // namespace tp
