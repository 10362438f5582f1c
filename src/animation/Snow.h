#pragma once
// Falling snow: a fixed number of flakes moved by the real time since the previous frame
// and drawn, blended, onto the engine's composite bitmap.
#include <vector>

#include "imaging/Bitmap32.h"

namespace tp {

struct TFlake {
  double X = 0;
  double Y = 0;
  int FlakeSize = 2;  // 2..4
  int Drift = 0;      // -1, 0 or +1
};

class TSnow {
 public:
  static constexpr int kMaxCount = 1000;

  explicit TSnow(Bitmap32* target = nullptr) : Target(target) {}

  // Count = min(n, 1000); a negative count gives no flakes.
  void SetCount(int n);
  int Count() const { return count_; }
  // Sizes the flake array to Count and gives every flake a random start over Target.
  void Scatter();
  // Moves every flake by this frame's distance, wraps it, and draws all flakes.
  void StepAndDraw();

  Bitmap32* Target = nullptr;  // not owned
  int SpeedLevel = 2;          // index into the speed table (clamped when used)
  int SpeedPercent = 100;
  int Elapsed = 0;  // milliseconds since the previous frame
  int WeatherOpacity = 9;
  std::vector<TFlake> Flakes;

 private:
  void Move(TFlake& f, double base, int w, int h);
  int count_ = 0;
};

}  // namespace tp
