#include "platform/x11/HostWindowDisplay.h"

#include <string>

#include "imaging/Draw.h"
#include "platform/EventLog.h"

namespace tp {

HostWindowDisplay::HostWindowDisplay(std::unique_ptr<ForeignWindow> window, InputHandler* handler,
                                     std::shared_ptr<CloseRelay> relay,
                                     std::shared_ptr<HostWindowDisplay*> live, bool movingViews)
    : window_(std::move(window)), handler_(handler), relay_(std::move(relay)), live_(std::move(live)) {
  if (live_) *live_ = this;
  screen_.SetSize(window_->width(), window_->height());
  LogEvent("host-window", std::to_string(window_->id()) + " " + std::to_string(screen_.width()) +
                              "x" + std::to_string(screen_.height()));
  if (movingViews) {
    std::string reason;
    gpu_ = GlxHostView::Open(window_->id(), screen_.width(), screen_.height(), &reason);
    LogEvent("display", "gpu " + reason);
  }
  if (relay_) relay_->Attach(handler_);
}

HostWindowDisplay::~HostWindowDisplay() {
  if (gpu_ && !hostGone_) {
    // Our window over the host's goes with our connection: the host's keeps the last frame.
    TakeBackView();
    gpu_.reset();
    if (window_->StillThere()) window_->DrawArea(screen_, RectFromSize(0, 0, screen_.width(), screen_.height()));
  }
  if (live_ && *live_ == this) *live_ = nullptr;
  if (relay_) relay_->Detach(handler_);
}

bool HostWindowDisplay::DrawsOnGpu() {
  if (gpu_ && gpu_->failed()) {
    LogEvent("display", "gpu lost");
    gpu_.reset();
    viewShown_ = false;
    Flush(RectFromSize(0, 0, screen_.width(), screen_.height()));
  }
  if (gpu_) gpu_->Resize(window_->width(), window_->height());
  return gpu_ != nullptr;
}

void HostWindowDisplay::TakeBackView() {
  if (!viewShown_) return;
  viewShown_ = false;
  if (gpu_) gpu_->ReadView(screen_.width(), screen_.height(), screen_);
}

bool HostWindowDisplay::SetMovingPicture(const MovingPicture& picture) {
  if (!DrawsOnGpu()) return false;
  TakeBackView();
  return gpu_->SetPicture(picture);
}

bool HostWindowDisplay::PresentMovingView(const PictureView& view) {
  if (hostGone_ || !DrawsOnGpu()) return false;
  gpu_->ShowView(view, screen_.width(), screen_.height());
  viewShown_ = true;
  return true;
}

void HostWindowDisplay::Capture(Bitmap32& out) {
  TakeBackView();
  out = screen_;
}

void HostWindowDisplay::Present(const Bitmap32& bitmap, int x, int y) {
  if (x > 0 || y > 0 || x + bitmap.width() < screen_.width() || y + bitmap.height() < screen_.height())
    TakeBackView();
  viewShown_ = false;
  Copy(screen_, x, y, bitmap.width(), bitmap.height(), bitmap, 0, 0);
  Flush(RectFromSize(x, y, bitmap.width(), bitmap.height()));
}

void HostWindowDisplay::FillBlack() {
  viewShown_ = false;
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
  viewShown_ = false;
  // The same shape-keeping, filtered stretch as on a screen of our own.
  stretcher_.Stretch(bitmap, screen_, &back_);
  Flush(RectFromSize(0, 0, screen_.width(), screen_.height()));
}

void HostWindowDisplay::Flush(const Rect& area) {
  if (hostGone_) return;
  if (DrawsOnGpu()) {
    // Drawn by the GPU over the host's window; the host's window itself is left alone.
    if (!window_->StillThere()) HostGone();
    else gpu_->ShowScreen(screen_, area.top, area.bottom);
    return;
  }
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
