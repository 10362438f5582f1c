#include "presentation/PacedDisplay.h"

#include <charconv>
#include <string>

#include "platform/EventLog.h"
#include "platform/Platform.h"

namespace tp {
namespace {

// Two decimals with a point, whatever the locale says.
std::string TwoDecimals(double value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0.00");
}

}  // namespace

PacedDisplay::PacedDisplay(std::unique_ptr<Display> screen, Clock& clock)
    : screen_(std::move(screen)), pacer_(clock, RefreshIntervalUs(screen_->RefreshHz())) {
  // A screen that is not paced (headless by default) logs nothing, as before.
  if (pacer_.intervalUs() > 0) LogEvent("display", "refresh " + TwoDecimals(1e6 / pacer_.intervalUs()));
}

void PacedDisplay::Present(const Bitmap32& bitmap, int x, int y) {
  pacer_.Present([&] { screen_->Present(bitmap, x, y); });
}

void PacedDisplay::FillBlack() {
  pacer_.Present([&] { screen_->FillBlack(); });
}

void PacedDisplay::PresentScaled(const Bitmap32& bitmap) {
  pacer_.Present([&] { screen_->PresentScaled(bitmap); });
}

std::unique_ptr<PacedDisplay> OpenPacedDisplay(Platform& platform, const DisplayOptions& options,
                                               InputHandler* handler) {
  return std::make_unique<PacedDisplay>(platform.CreateDisplay(options, handler), platform.clock());
}

}  // namespace tp
