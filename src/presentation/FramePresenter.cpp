#include "presentation/FramePresenter.h"

#include "platform/Clock.h"
#include "platform/Display.h"

namespace tp {

void PresentBitmap(Display& display, const PresentationState& state, const Bitmap32& bitmap, int x, int y) {
  if (state.directDrawInUse) {
    if (display.CanDraw()) display.PresentScaled(bitmap);
    return;
  }
  display.Present(bitmap, x, y);
}

void PaceFrame(Clock& clock, PresentationState& state) {
  // Unsigned difference: correct across the wrap of the 32-bit tick.
  const uint32_t elapsed = clock.Tick() - state.lastFrameTick;
  if (elapsed < state.framePeriodMs) clock.Sleep(state.framePeriodMs - elapsed);
  state.lastFrameTick = clock.Tick();
}

void DrawCurrentFrame(Display& display, Clock& clock, PresentationState& state, const Bitmap32* engineFrame) {
  const Point at = PresentationOffset(state);
  if (state.plainPicture) {
    if (!state.frameOnScreen && !state.fittedPicture.empty()) {
      PresentBitmap(display, state, state.fittedPicture, at.x, at.y);
      state.frameOnScreen = true;
    }
  } else if (engineFrame && !engineFrame->empty()) {
    PresentBitmap(display, state, *engineFrame, at.x, at.y);
  } else if (!state.frameOnScreen) {
    // A packaged picture that never loaded: black, not whatever was shown before.
    display.FillBlack();
    state.frameOnScreen = true;
  }
  PaceFrame(clock, state);
}

}  // namespace tp
