#pragma once
// Falling rain: a fixed number of drops moved by the real time since the previous frame
// and drawn as two blended streak segments onto the engine's composite bitmap.
#include <vector>

#include "imaging/Bitmap32.h"

namespace tp {

struct TDrop {
  double X = 0;
  double Y = 0;
  int DropSize = 2;    // 2..4
  int DropLength = 1;  // 1..4
};

class TRain {
 public:
  static constexpr int kMaxCount = 1000;
  // Longest streak factor drawn; larger stored values are clamped so a drop stays short.
  static constexpr int kMaxLengthScale = 1000;

  explicit TRain(Bitmap32* target = nullptr) : Target(target) {}

  // Count = min(n, 1000); a negative count gives no drops.
  void SetCount(int n);
  int Count() const { return count_; }
  void Scatter();
  void StepAndDraw();

  Bitmap32* Target = nullptr;  // not owned
  int SpeedLevel = 2;
  int SpeedPercent = 100;
  int Elapsed = 0;
  int WeatherOpacity = 6;
  int LengthScale = 10;
  int Direction = 90;  // degrees; 180 - the stored angle
  std::vector<TDrop> Drops;

 private:
  int count_ = 0;
};

}  // namespace tp
