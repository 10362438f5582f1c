#include "presentation/RefreshPacer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/Clock.h"

namespace tp {

uint32_t RefreshIntervalUs(double reportedHz) {
  if (!(reportedHz > 0)) return 0;  // also NaN
  const double hz = std::clamp(reportedHz, kMinRefreshHz, kMaxRefreshHz);
  return uint32_t(std::lround(1e6 / hz));
}

RefreshPacer::RefreshPacer(Clock& clock, uint32_t intervalUs) : clock_(clock), intervalUs_(intervalUs) {}

void RefreshPacer::Present(const std::function<void()>& show) {
  if (intervalUs_ == 0) {
    show();
    return;
  }
  const uint32_t now = clock_.Tick();
  // Milliseconds since the last refresh, signed across the wrap of the tick; a gap of more
  // than a day, or a clock behind the last refresh, counts as a pause.
  const int32_t sinceMs = int32_t(now - lastTick_);
  const bool recent = presented_ && sinceMs >= 0 && sinceMs < 86'400'000;
  const int64_t sinceUs = recent ? int64_t(sinceMs) * 1000 - lastFracUs_ : INT64_MAX;
  uint64_t at = 0;  // the refresh that shows this frame, in microseconds after tick lastTick_
  if (sinceUs < int64_t(intervalUs_)) {
    at = uint64_t(lastFracUs_) + intervalUs_;
  } else {
    lastTick_ = now;
    at = intervalUs_;
  }
  lastTick_ += uint32_t(at / 1000);
  lastFracUs_ = uint32_t(at % 1000);
  presented_ = true;
  show();
  // Until the refresh, in whole milliseconds of this clock rounded up: never before it.
  const int32_t leftMs = int32_t(lastTick_ - clock_.Tick()) + (lastFracUs_ > 0 ? 1 : 0);
  if (leftMs > 0) clock_.Sleep(uint32_t(leftMs));
}

}  // namespace tp
