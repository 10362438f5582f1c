#pragma once
// The input rules that end a saver run. The state lives for the whole process, outside the
// saver window: the grace count is not reset when a window is shown.
namespace tp {

struct SaverInputState {
  static constexpr int kGraceCount = 5;
  int graceCount = kGraceCount;  // mouse-move events still to ignore
  int lastX = -1;                // last counted position; -1 = not yet known
  int lastY = -1;
  bool f1Toggle = false;
};

// The process-wide input state.
SaverInputState& ProcessInputState();

// A mouse move at (x, y): true when it ends the run (a move of more than 2 pixels on
// either axis from the last counted position, once the grace count has run out).
bool MouseMoveEndsRun(SaverInputState& state, int x, int y);

// F1 flips the toggle; true when it went back to off (every second press).
bool F1ReturnsToOff(SaverInputState& state);

}  // namespace tp
