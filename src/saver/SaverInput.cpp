#include "saver/SaverInput.h"

#include <cstdlib>

namespace tp {

SaverInputState& ProcessInputState() {
  static SaverInputState state;
  return state;
}

bool MouseMoveEndsRun(SaverInputState& s, int x, int y) {
  if (s.graceCount > 0) {
    --s.graceCount;
    return false;
  }
  if (s.lastX == -1) s.lastX = x;
  if (s.lastY == -1) s.lastY = y;
  const bool ends = std::abs(x - s.lastX) > 2 || std::abs(y - s.lastY) > 2;
  s.lastX = x;
  s.lastY = y;
  return ends;
}

bool F1ReturnsToOff(SaverInputState& s) {
  s.f1Toggle = !s.f1Toggle;
  return !s.f1Toggle;
}

}  // namespace tp
