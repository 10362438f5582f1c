#pragma once
// Putting finished frames on the screen, and the frame pacing of the saver run.
#include "presentation/PresentationState.h"

namespace tp {

class Clock;
class Display;


// Window drawing: the bitmap 1:1 with its top-left at (x, y). Scaled path: only when the
// display can draw, the back surface takes the bitmap and is stretched over the screen
// (x and y unused); otherwise the frame is dropped.
void PresentBitmap(Display& display, const PresentationState& state, const Bitmap32& bitmap, int x, int y);

// Waits until at least the state's frame period (kFramePeriodMs unless a folder show set
// another) has passed since the last frame, then marks now as the last frame's time.
void PaceFrame(Clock& clock, PresentationState& state);

// Draws the current picture once at its presentation offset (the fitted plain picture, or
// engineFrame for a packaged picture; nullptr draws nothing), then paces. A plain picture
// already on screen unchanged is not copied again (see PresentationState::frameOnScreen).
void DrawCurrentFrame(Display& display, Clock& clock, PresentationState& state, const Bitmap32* engineFrame);

}  // namespace tp
