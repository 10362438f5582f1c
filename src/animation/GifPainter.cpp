#include "animation/GifPainter.h"

#include <algorithm>

#include "imaging/PixelCombine.h"

namespace tp {

int TGifPainter::FrameDelayMs(int storedDelayMs, int speedPercent) {
  const int64_t d = storedDelayMs < 20 ? 100 : storedDelayMs;
  if (speedPercent <= 0) return -1;
  return int(std::clamp<int64_t>(d * 100 / speedPercent, 1, 3'600'000));
}

void TGifPainter::Start(std::shared_ptr<const GifImage> gif, int speedPercent, Clock& clock,
                        FrameSink sink) {
  std::lock_guard<std::mutex> control(control_);
  StopThread();

  gif_ = std::move(gif);
  if (!gif_ || gif_->frames().empty()) return;
  animator_ = std::make_unique<GifAnimator>(*gif_, kGifFillColor);
  canvas_.SetSize(gif_->width(), gif_->height());
  animator_->Reset(canvas_);
  speed_ = speedPercent;
  clock_ = &clock;
  sink_ = std::move(sink);
  shown_ = animator_->DrawNextFrame(canvas_);
  ++frames_;
  sink_(canvas_);
  painting_ = true;
  if (animator_->frameCount() > 1 && speed_ > 0) {
    stop_ = false;
    interrupt_ = false;
    workerId_ = clock_->BeginWorker();
    thread_ = std::thread([this] { Run(); });
    ++threads_;
  }
}

bool TGifPainter::Restart(const std::shared_ptr<const GifImage>& gif, int speedPercent, Clock& clock) {
  std::lock_guard<std::mutex> control(control_);
  if (!painting_ || !gif || gif != gif_ || speedPercent != speed_ || &clock != clock_) return false;
  {
    std::lock_guard<std::mutex> lk(paint_);
    animator_->Reset(canvas_);
    shown_ = animator_->DrawNextFrame(canvas_);
    ++frames_;
    sink_(canvas_);
  }
  if (thread_.joinable()) {
    // The painter times the first frame's delay again from now.
    interrupt_ = true;
    clock_->WakeWorkers();
  }
  return true;
}

void TGifPainter::Stop() {
  std::lock_guard<std::mutex> control(control_);
  StopThread();
}

void TGifPainter::StopThread() {
  if (thread_.joinable()) {
    stop_ = true;
    interrupt_ = true;
    clock_->WakeWorkers();
    thread_.join();
  }
  painting_ = false;
}

void TGifPainter::Run() {
  uint32_t pause = 0;
  {
    std::lock_guard<std::mutex> lk(paint_);
    pause = uint32_t(FrameDelayMs(animator_->DelayMs(shown_), speed_));
  }
  for (;;) {
    const bool full = clock_->WorkerSleep(workerId_, pause, interrupt_);
    if (stop_) break;
    std::lock_guard<std::mutex> lk(paint_);
    if (full) {
      shown_ = animator_->DrawNextFrame(canvas_);
      ++frames_;
      sink_(canvas_);
    } else {
      interrupt_ = false;  // restarted: frame 0 is shown, its delay runs from now
    }
    pause = uint32_t(FrameDelayMs(animator_->DelayMs(shown_), speed_));
  }
  clock_->EndWorker(workerId_);
}

}  // namespace tp
