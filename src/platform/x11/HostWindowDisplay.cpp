#include "platform/x11/HostWindowDisplay.h"

#include <string>

#include "imaging/Draw.h"
#include "platform/EventLog.h"

namespace tp {

HostWindowDisplay::HostWindowDisplay(std::unique_ptr<ForeignWindow> window, InputHandler* handler,
                                     std::shared_ptr<CloseRelay> relay,
                                     std::shared_ptr<HostWindowDisplay*> live)
    : window_(std::move(window)), handler_(handler), relay_(std::move(relay)), live_(std::move(live)) {
  if (live_) *live_ = this;
  screen_.SetSize(window_->width(), window_->height());
  LogEvent("host-window", std::to_string(window_->id()) + " " + std::to_string(screen_.width()) +
                              "x" + std::to_string(screen_.height()));
  if (relay_) relay_->Attach(handler_);
}

HostWindowDisplay::~HostWindowDisplay() {
  if (live_ && *live_ == this) *live_ = nullptr;
  if (relay_) relay_->Detach(handler_);
}

void HostWindowDisplay::Present(const Bitmap32& bitmap, int x, int y) {
  Copy(screen_, x, y, bitmap.width(), bitmap.height(), bitmap, 0, 0);
  Flush(RectFromSize(x, y, bitmap.width(), bitmap.height()));
}

void HostWindowDisplay::FillBlack() {
  screen_.Fill(0);
  Flush(RectFromSize(0, 0, screen_.width(), screen_.height()));
}

bool HostWindowDisplay::InitScaled(int width, int height, int /*bitsPerPixel*/) {
  if (width <= 0 || height <= 0) return false;
  back_.SetSize(width, height);
  scaledReady_ = true;
  return true;
}

void HostWindowDisplay::PresentScaled(const Bitmap32& bitmap) {
  // The same shape-keeping, filtered stretch as on a screen of our own.
  stretcher_.Stretch(bitmap, screen_, &back_);
  Flush(RectFromSize(0, 0, screen_.width(), screen_.height()));
}

void HostWindowDisplay::Flush(const Rect& area) {
  if (hostGone_) return;
  if (window_->StillThere() && window_->DrawArea(screen_, area)) return;
  HostGone();
}

void HostWindowDisplay::CheckHost() {
  if (!hostGone_ && !window_->StillThere()) HostGone();
}

void HostWindowDisplay::HostGone() {
  // The host has destroyed its window: end the show as if it had been closed.
  hostGone_ = true;
  LogEvent("host-window-gone", std::to_string(window_->id()));
  if (handler_) handler_->OnCloseRequest();
}

}  // namespace tp
