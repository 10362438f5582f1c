#pragma once
// Close requests from outside the show (a termination signal, a host that destroys its
// window) handed to the input handler of the display that is open now, on the UI thread.
// A request made while no display is open waits for the next one.
#include "platform/Input.h"

namespace tp {

class CloseRelay {
 public:
  void Attach(InputHandler* handler);
  void Detach(InputHandler* handler);
  void RequestClose();

 private:
  InputHandler* handler_ = nullptr;
  bool pending_ = false;
};

}  // namespace tp
