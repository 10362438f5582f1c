#include "presentation/PacedDisplay.h"

#include <string>

#include "core/TextUtil.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"

namespace tp {

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

bool PacedDisplay::PresentMovingView(const PictureView& view) {
  bool shown = false;
  pacer_.Present([&] { shown = screen_->PresentMovingView(view); });
  return shown;
}

std::unique_ptr<PacedDisplay> OpenPacedDisplay(Platform& platform, const DisplayOptions& options,
                                               InputHandler* handler) {
  return std::make_unique<PacedDisplay>(platform.CreateDisplay(options, handler), platform.clock());
}

}  // namespace tp
