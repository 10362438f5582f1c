#pragma once
// The 21-step speed table that snow and rain use to scale their fall speed, and the
// clamping of stored levels into its range.
#include <algorithm>

namespace tp {

inline constexpr int kWeatherSpeedTable[21] = {10,  20,  30,  45,  50,  60,  70,
                                                75,  80,  90,  100, 120, 140, 160,
                                                180, 200, 220, 240, 360, 480, 500};

// Percent for a speed level; levels outside 0..20 are clamped to the nearest entry.
constexpr int WeatherSpeedPercent(int level) {
  return kWeatherSpeedTable[std::clamp(level, 0, 20)];
}

// Opacity on the 0..10 scale, clamped.
constexpr int ClampOpacity(int opacity) { return std::clamp(opacity, 0, 10); }

}  // namespace tp
