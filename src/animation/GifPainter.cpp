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
  // Stop any earlier painting first (inline: control_ is already held).
  {
    std::lock_guard<std::mutex> lk(m_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  painting_ = false;

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
    {
      std::lock_guard<std::mutex> lk(m_);
      stop_ = false;
    }
    thread_ = std::thread([this] { Run(); });
  }
}

void TGifPainter::Stop() {
  std::lock_guard<std::mutex> control(control_);
  {
    std::lock_guard<std::mutex> lk(m_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  painting_ = false;
}

bool TGifPainter::WaitOrStop(int ms) {
  // Sleeps on the clock in short slices so that Stop never waits long.
  const uint32_t start = clock_->Tick();
  for (;;) {
    {
      std::lock_guard<std::mutex> lk(m_);
      if (stop_) return false;
    }
    const uint32_t passed = clock_->Tick() - start;
    if (passed >= uint32_t(ms)) return true;
    clock_->Sleep(std::min<uint32_t>(uint32_t(ms) - passed, 5));
  }
}

void TGifPainter::Run() {
  for (;;) {
    if (!WaitOrStop(FrameDelayMs(animator_->DelayMs(shown_), speed_))) return;
    shown_ = animator_->DrawNextFrame(canvas_);
    ++frames_;
    sink_(canvas_);
  }
}

}  // namespace tp
