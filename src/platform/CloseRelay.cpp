#include "platform/CloseRelay.h"

#include "platform/EventLog.h"

namespace tp {

void CloseRelay::Attach(InputHandler* handler) {
  handler_ = handler;
  if (pending_ && handler_) {
    pending_ = false;
    handler_->OnCloseRequest();
  }
}

void CloseRelay::Detach(InputHandler* handler) {
  if (handler_ == handler) handler_ = nullptr;
}

void CloseRelay::RequestClose() {
  LogEvent("close-relay");
  if (handler_) handler_->OnCloseRequest();
  else pending_ = true;
}

}  // namespace tp
