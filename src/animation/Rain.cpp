#include "animation/Rain.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "imaging/PixelCombine.h"
#include "animation/WeatherSpeed.h"
#include "core/IntMath.h"
#include "core/ProgramRandom.h"

namespace tp {
namespace {

int Random(int n) { return ProgramRandom::Random(n); }
int Round(double v) { return int(RoundHalfEven(v)); }

int StreakAlpha(int k, int opacity) {
  return int(std::clamp<int64_t>(RoundHalfEven(double(k) * opacity * 10 / 100), 0, 255));
}

}  // namespace

void TRain::SetCount(int n) { count_ = std::clamp(n, 0, kMaxCount); }

void TRain::Scatter() {
  Drops.resize(size_t(count_));
  const int w = Target ? Target->width() : 0;
  const int h = Target ? Target->height() : 0;
  for (TDrop& d : Drops) {
    d.X = Random(w);
    d.Y = Random(h);
    d.DropSize = Random(3) + 2;
    d.DropLength = Random(4) + 1;
  }
}

void TRain::StepAndDraw() {
  if (!Target) return;
  const int w = Target->width();
  const int h = Target->height();
  const double base = double(Elapsed) / 50 * WeatherSpeedPercent(SpeedLevel) / 100 *
                      SpeedPercent / 100;
  const double lean = std::cos(Direction * std::numbers::pi / 180);

  for (TDrop& d : Drops) {
    const double y0 = d.Y;
    d.Y += d.DropSize * base * 3;
    d.X += lean * (d.Y - y0);
    if (d.X < -20) d.X = w + Random(100);
    if (d.X > w + 20) d.X = -Random(100);
    d.DropSize = std::clamp(d.DropSize, 2, 4);
    if (d.Y > h + 20) d.Y = -Random(100);
  }

  const int o = ClampOpacity(WeatherOpacity);
  if (o == 0) return;
  const int scale = std::clamp(LengthScale, 0, kMaxLengthScale);
  for (const TDrop& d : Drops) {
    const int s = std::clamp(d.DropSize, 2, 4);
    const int x0 = Round(d.X);
    const int y0 = Round(d.Y);
    const int g = Div(55, 5 - s) + 200;
    const int t = 100 - 20 * s;
    const int y1 = Round(double(s) * d.DropLength * scale / 10 + y0);
    const int x1 = Round(lean * (y1 - y0) + x0);
    const int ym = Round(y0 + double(6 * y1 - 6 * y0) / 8);
    const int xm = Round(x0 + double(6 * x1 - 6 * x0) / 8);
    const Pixel grey = MakePixel(uint8_t(g), uint8_t(g), uint8_t(g));
    BlendLine(*Target, x0, y0, xm, ym, grey, StreakAlpha(150 - t, o));
    BlendLine(*Target, xm, ym, x1, y1, grey, StreakAlpha(255 - t, o));
  }
}

}  // namespace tp
