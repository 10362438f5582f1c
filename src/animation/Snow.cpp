#include "animation/Snow.h"

#include <algorithm>

#include "imaging/PixelCombine.h"
#include "animation/WeatherSpeed.h"
#include "core/IntMath.h"
#include "core/ProgramRandom.h"

namespace tp {
namespace {

int Random(int n) { return ProgramRandom::Random(n); }

struct Dot {
  int dx, dy, k;
};

// Pixels of each flake size relative to the flake position, with the base alpha K.
constexpr Dot kSize2[] = {{0, 0, 240}, {1, 0, 140}, {0, 1, 140}};
constexpr Dot kSize3[] = {{0, 0, 240},  {-1, 0, 200},  {0, -1, 200}, {1, 0, 200},
                          {0, 1, 200},  {-1, -1, 100}, {1, -1, 100}, {-1, 1, 100},
                          {1, 1, 100}};
constexpr Dot kSize4[] = {{0, 0, 240},  {-1, 0, 240}, {-1, 1, 240}, {0, -1, 240},
                          {0, 1, 240},  {0, 2, 240},  {1, -1, 240}, {1, 0, 240},
                          {1, 1, 240},  {1, 2, 240},  {2, 0, 240},  {2, 1, 240}};

int FlakeAlpha(int k, int size, int opacity) {
  int64_t a = RoundHalfEven(double(k - (4 - size) * 40) * opacity * 10 / 100);
  return int(std::clamp<int64_t>(a, 0, 255));
}

template <size_t N>
void DrawDots(Bitmap32& t, int x, int y, const Dot (&dots)[N], int size, int opacity) {
  for (const Dot& d : dots) {
    BlendPixel(t, x + d.dx, y + d.dy, MakePixel(255, 255, 255),
                      FlakeAlpha(d.k, size, opacity));
  }
}

}  // namespace

void TSnow::SetCount(int n) { count_ = std::clamp(n, 0, kMaxCount); }

void TSnow::Scatter() {
  Flakes.resize(size_t(count_));
  const int w = Target ? Target->width() : 0;
  const int h = Target ? Target->height() : 0;
  for (TFlake& f : Flakes) {
    f.X = Random(w);
    f.Y = Random(h);
    f.Drift = 1 - Random(3);
    f.FlakeSize = Random(3) + 2;
  }
}

void TSnow::Move(TFlake& f, double base, int w, int h) {
  f.Y += f.FlakeSize * base;
  f.X += f.Drift * base;
  if (Random(20) == 0) f.FlakeSize += Random(3) - 1;
  if (f.X < 0) f.X = w + Random(50);
  // A separate test: it also sees the value the first test may just have set.
  if (f.X > w) f.X = -Random(50);
  f.FlakeSize = std::clamp(f.FlakeSize, 2, 4);
  if (f.Y > h - 1) f.Y = -Random(100);
}

void TSnow::StepAndDraw() {
  if (!Target) return;
  const int w = Target->width();
  const int h = Target->height();
  const double base = double(Elapsed) / 70 * WeatherSpeedPercent(SpeedLevel) / 100 *
                      SpeedPercent / 100;
  for (TFlake& f : Flakes) Move(f, base, w, h);

  const int o = ClampOpacity(WeatherOpacity);
  if (o == 0) return;
  for (const TFlake& f : Flakes) {
    const int x = int(RoundHalfEven(f.X));
    const int y = int(RoundHalfEven(f.Y));
    switch (f.FlakeSize) {
      case 2: DrawDots(*Target, x, y, kSize2, 2, o); break;
      case 3: DrawDots(*Target, x, y, kSize3, 3, o); break;
      default: DrawDots(*Target, x, y, kSize4, 4, o); break;
    }
  }
}

}  // namespace tp
