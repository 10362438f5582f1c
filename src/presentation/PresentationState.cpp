#include "presentation/PresentationState.h"

#include "core/IntMath.h"

namespace tp {

Size WorkingResolution(int quality) {
  switch (quality) {
    case 0: return {1024, 768};
    case 2: return {640, 480};
    default: return {800, 600};
  }
}

Size FitProportional(int w, int h, int targetW, int targetH) {
  if (w <= 0 || h <= 0 || targetW <= 0 || targetH <= 0) return {targetW > 0 ? targetW : 0, targetH > 0 ? targetH : 0};
  const double r = double(w) / double(h);
  // Integer product, then truncating division: decides which side of the target binds.
  const int64_t scaled = Div64(int64_t(h) * int64_t(targetW), int64_t(targetH));
  if (scaled < w) {
    int height = int(RoundHalfEven(double(targetW) / r));
    return {targetW, height < 1 ? 1 : height};
  }
  int width = int(RoundHalfEven(double(targetH) * r));
  return {width < 1 ? 1 : width, targetH};
}

Point PresentationOffset(const PresentationState& s) {
  if (s.stretch && !s.proportional) return {0, 0};
  return {int(Div64(int64_t(s.screenWidth) - s.pictureWidth, 2)),
          int(Div64(int64_t(s.screenHeight) - s.pictureHeight, 2))};
}

}  // namespace tp
