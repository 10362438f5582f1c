#include "animation/AnimEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "animation/AnimClock.h"
#include "animation/AnimImgObject.h"
#include "animation/AnimObjects.h"
#include "core/IntMath.h"
#include "core/ProgramRandom.h"
#include "imaging/Draw.h"
#include "imaging/Resample.h"

namespace tp {
namespace {

constexpr int kNoRow = 50000;

// Rounds to nearest (ties to even) after clamping into a range where the conversion is
// defined; stored wave values may be anything.
int64_t RoundClamped(double v, double limit) {
  if (!(v > -limit)) return int64_t(-limit);  // also NaN
  if (v > limit) return int64_t(limit);
  return RoundHalfEven(v);
}

int EffectivePeriod(int period) { return period == 0 ? 360 : period; }

}  // namespace

void InstallAnimObjectsBuilder() {
  TProject::SetAnimObjectsBuilder([](TProject&, const std::string& text) {
    auto objects = std::make_shared<TAnimObjects>();
    objects->LoadFromText(text);
    return objects;
  });
}

TAnimEngine::TAnimEngine(Clock* clock) : clock_(clock ? clock : &DefaultAnimClock()) {
  for (int i = 0; i <= 360; ++i) CosTable[size_t(i)] = std::cos(i * std::numbers::pi / 180);
  InstallAnimObjectsBuilder();
}

TAnimEngine::~TAnimEngine() {
  Snow.reset();
  Rain.reset();
  // The objects belong to the packaged picture; dropping the engine's share of them
  // ends their threads only when the loader has let go as well.
  if (Objects) Objects->StopAll();
  Objects.reset();
}

bool TAnimEngine::HasObjects() const { return Objects && !Objects->empty(); }

void TAnimEngine::SetProject(TProject& project) {
  Project = &project;
  Picture = &project.picture;
  Mask = &project.areaMask;
  for (int i = 0; i < kRecords; ++i) WaveParams[size_t(i)] = project.wave(i);
  SpeedPercent = project.speed;
  if (Objects && Objects != project.animObjects) Objects->StopAll();
  Objects = project.animObjects;
}

void TAnimEngine::SetWeather(bool on) {
  Snow.reset();
  Rain.reset();
  weatherOn_ = false;
  if (!on || !Project) return;
  const TWeatherParam& w = Project->weather;
  if (w.WeatherKind == kWeatherSnow) {
    Snow = std::make_unique<TSnow>(&Composite);
    Snow->SetCount(w.ParticleCount);
    Snow->Scatter();
    weatherOn_ = true;
  } else if (w.WeatherKind == kWeatherRain) {
    Rain = std::make_unique<TRain>(&Composite);
    Rain->SetCount(w.ParticleCount);
    Rain->Scatter();
    weatherOn_ = true;
  }
  if (weatherOn_ && Composite.width() != Width) Composite.SetSize(Width, Height);
}

void TAnimEngine::Start() {
  if (!Picture) return;
  const uint32_t now = clock_->Tick();
  LastTick = now;
  Width = Picture->width();
  Height = Picture->height();
  WaterFrame.SetSize(Width, Height);
  if ((Project && Project->weather.WeatherKind > 0) || HasObjects()) {
    Composite.SetSize(Width, Height);
  }

  ProgramRandom::SetSeed(now);
  Phase.fill(0);
  HasReflection = false;
  for (const TWaveParam& w : WaveParams) HasReflection = HasReflection || w.Reflection;
  if (HasReflection) ReflectedPicture = *Picture;

  const int h = std::max(Height, 0);
  MaskRows.assign(size_t(h), nullptr);
  SourceRows.assign(size_t(h), nullptr);
  WaterRows.assign(size_t(h), nullptr);
  ReflectedRows.assign(size_t(h), nullptr);
  const bool maskFits = Mask && Mask->width() == Width && Mask->height() == Height;
  for (int y = 0; y < h; ++y) {
    MaskRows[size_t(y)] = maskFits ? Mask->scanline(y) : nullptr;
    SourceRows[size_t(y)] = Picture->scanline(y);
    WaterRows[size_t(y)] = WaterFrame.scanline(y);
    if (HasReflection) ReflectedRows[size_t(y)] = ReflectedPicture.scanline(y);
  }
  if (HasReflection) BuildReflection();
  BuildAreaMap();
  BuildJitter();

  if (Objects) {
    const int designW = Project ? Project->pictureWidth : Width;
    const int designH = Project ? Project->pictureHeight : Height;
    for (int i = 0; i < Objects->Count(); ++i) {
      TAnimObject& o = (*Objects)[i];
      o.Stop();
      o.TargetRect = Rect{0, 0, Width, Height};
      o.DesignWidth = designW;
      o.DesignHeight = designH;
      o.SetClock(clock_);
      o.Start();
      o.Resume();
    }
  }
  started_ = true;

  RenderFrame();
  if (!WaterFrame.empty()) {
    std::memcpy(WaterFrame.data(), Picture->data(), WaterFrame.pixelCount() * sizeof(Pixel));
  }
}

void TAnimEngine::BuildAreaMap() {
  MinRow.fill(kNoRow);
  MaxRow.fill(0);
  AreaMap.assign(size_t(std::max(Width, 0)) * size_t(std::max(Height, 0)), int16_t(-1));
  AreaRows.assign(size_t(std::max(Height, 0)), nullptr);
  for (int y = 0; y < Height; ++y) {
    int16_t* row = AreaMap.data() + size_t(y) * size_t(Width);
    AreaRows[size_t(y)] = row;
    const Pixel* mask = MaskRows[size_t(y)];
    if (!mask) continue;  // a mask of another size marks no water
    for (int x = 0; x < Width; ++x) {
      const int k = AreaOfMaskColor(mask[x]);
      if (k > 0) {
        // Records are indexed by area number - 1.
        MinRow[size_t(k - 1)] = std::min(MinRow[size_t(k - 1)], y);
        MaxRow[size_t(k - 1)] = std::max(MaxRow[size_t(k - 1)], y);
        row[x] = int16_t(k - 1);
      }
    }
  }
  BuildRuns();
}

void TAnimEngine::BuildRuns() {
  runs_.clear();
  runStart_.assign(size_t(std::max(Height, 0)) + 1, 0);
  for (int y = 0; y < Height; ++y) {
    runStart_[size_t(y)] = int(runs_.size());
    const int16_t* row = AreaRows[size_t(y)];
    int x = 0;
    while (x < Width) {
      const int a = row[x];
      int e = x + 1;
      while (e < Width && row[e] == a) ++e;
      if (a >= 0) runs_.push_back({x, e, a});
      x = e;
    }
  }
  runStart_[size_t(std::max(Height, 0))] = int(runs_.size());
}

void TAnimEngine::BuildJitter() {
  for (int i = 0; i < kRecords; ++i) {
    std::vector<int>& rows = JitterRows[size_t(i)];
    rows.assign(size_t(std::max(Width, 0)), 0);
    const int range = WaveParams[size_t(i)].JitterRange;
    if (range <= 1) continue;  // 0 for ranges 0 and 1 (and stored negative ranges)
    for (int& j : rows) j = ProgramRandom::Random(range);
  }
}

void TAnimEngine::BuildReflection() {
  if (!HasReflection || ReflectedPicture.width() != Width) return;
  for (int y = 0; y < Height; ++y) SourceRows[size_t(y)] = Picture->scanline(y);
  std::array<int, 7> firstRow;
  firstRow.fill(-1);
  for (int y = 0; y < Height; ++y) {
    const Pixel* mask = MaskRows[size_t(y)];
    if (!mask) continue;
    Pixel* out = ReflectedRows[size_t(y)];
    for (int x = 0; x < Width; ++x) {
      const int k = AreaOfMaskColor(mask[x]);
      if (k == 0 || !WaveParams[size_t(k - 1)].Reflection) continue;
      if (firstRow[size_t(k)] < 0) firstRow[size_t(k)] = y;
      const int m = 2 * firstRow[size_t(k)] - y - 1;
      if (m >= 0) out[x] = SourceRows[size_t(m)][x];
    }
  }
  for (int y = 0; y < Height; ++y) SourceRows[size_t(y)] = ReflectedRows[size_t(y)];
}

void TAnimEngine::RenderRow(int y) {
  Pixel* water = WaterRows[size_t(y)];
  const int maxRow = Height - 1;
  const int maxCol = Width - 1;
  for (int r = runStart_[size_t(y)]; r < runStart_[size_t(y) + 1]; ++r) {
    const WaterRun& run = runs_[size_t(r)];
    const int a = run.area;
    const TWaveParam& w = WaveParams[size_t(a)];
    const int v = w.VerticalWave ? rowWave_[size_t(a)].v : 0;
    const int h = rowWave_[size_t(a)].h;
    const int* jitter = JitterRows[size_t(a)].data();
    const bool noJitter = w.JitterRange <= 1;

    if (noJitter && !w.HorizontalWave) {
      // Columns keep their place: pull from row sy wherever that row is the same area.
      const int sy = std::clamp(y + v, 0, maxRow);
      const Pixel* src = SourceRows[size_t(sy)];
      if (sy == y) {
        std::memcpy(water + run.x0, src + run.x0, size_t(run.x1 - run.x0) * sizeof(Pixel));
        continue;
      }
      const int16_t* srcArea = AreaRows[size_t(sy)];
      for (int x = run.x0; x < run.x1; ++x) {
        if (srcArea[x] == a) water[x] = src[x];
      }
      continue;
    }

    for (int x = run.x0; x < run.x1; ++x) {
      const int j = jitter[x];
      const int sy = std::clamp(y - j + v, 0, maxRow);
      const int ty = std::clamp(y - j, 0, maxRow);
      const int sx = w.HorizontalWave ? std::clamp(x + h, 0, maxCol) : x;
      if (AreaRows[size_t(ty)][sx] == a && AreaRows[size_t(sy)][sx] == a) {
        WaterRows[size_t(ty)][x] = SourceRows[size_t(sy)][sx];
      }
    }
  }
}

void TAnimEngine::RenderFrame() {
  const uint32_t now = clock_->Tick();
  const int elapsed = int(std::min<uint32_t>(now - LastTick, uint32_t(std::numeric_limits<int>::max())));
  LastTick = now;
  if (Width <= 0 || Height <= 0 || !started_) return;

  // Working amplitude and frequency of each record, and their per-row increments.
  std::array<double, kRecords> A{}, f{}, dA{}, df{};
  std::array<int, kRecords> period{};
  for (int i = 0; i < kRecords; ++i) {
    const TWaveParam& w = WaveParams[size_t(i)];
    period[size_t(i)] = EffectivePeriod(w.Period);
    const double F = double(w.WaveCount) * period[size_t(i)] / 360;
    A[size_t(i)] = w.Amplitude;
    f[size_t(i)] = F;
    if (w.Perspective) {
      A[size_t(i)] = 0;
      int n = MaxRow[size_t(i)] - MinRow[size_t(i)];
      if (n == 0) n = 1;
      dA[size_t(i)] = double(w.Amplitude) / n;
      df[size_t(i)] = F / n;
    }
  }

  for (int y = 0; y < Height; ++y) {
    for (int i = 0; i < kRecords; ++i) {
      if (y < MinRow[size_t(i)] || y > MaxRow[size_t(i)]) continue;
      const TWaveParam& w = WaveParams[size_t(i)];
      if (w.Perspective) {
        A[size_t(i)] += dA[size_t(i)];
        f[size_t(i)] -= 0.8 * df[size_t(i)];
      }
      const int64_t a = RoundClamped(
          double(Height - y) * f[size_t(i)] * 360 / Height + double(Phase[size_t(i)]), 4e18);
      const int64_t vi = (a % period[size_t(i)]) % 360;
      const int64_t hi = a % 360;
      rowWave_[size_t(i)].v =
          int(RoundClamped(CosTable[size_t(vi < 0 ? -vi : vi)] * A[size_t(i)], 1 << 24));
      rowWave_[size_t(i)].h =
          int(RoundClamped(CosTable[size_t(hi < 0 ? -hi : hi)] * A[size_t(i)], 1 << 24));
    }
    RenderRow(y);
  }

  for (int i = 0; i < kRecords; ++i) {
    const TWaveParam& w = WaveParams[size_t(i)];
    const int64_t d =
        RoundClamped(double(w.WaveSpeed) * elapsed / 50 * SpeedPercent / 100, 1e15);
    Phase[size_t(i)] += w.WaveForward != 0 ? d : -d;
  }

  const bool compose = weatherOn_ || HasObjects();
  if (!compose) return;
  if (Composite.width() != Width || Composite.height() != Height) Composite.SetSize(Width, Height);
  std::memcpy(Composite.data(), WaterFrame.data(), WaterFrame.pixelCount() * sizeof(Pixel));
  DrawObjects();
  if (weatherOn_ && Project) {
    const TWeatherParam& wp = Project->weather;
    if (Snow) {
      Snow->Elapsed = elapsed;
      Snow->SpeedPercent = SpeedPercent;
      Snow->SpeedLevel = wp.SpeedLevel;
      Snow->WeatherOpacity = wp.WeatherOpacity;
      Snow->StepAndDraw();
    } else if (Rain) {
      Rain->Elapsed = elapsed;
      Rain->SpeedPercent = SpeedPercent;
      Rain->SpeedLevel = wp.SpeedLevel;
      Rain->LengthScale = wp.LengthScale;
      Rain->WeatherOpacity = wp.WeatherOpacity;
      Rain->Direction = 180 - wp.Angle;
      Rain->StepAndDraw();
    }
  }
}

void TAnimEngine::DrawObjects() {
  if (!Objects) return;
  for (int i = 0; i < Objects->Count(); ++i) {
    TAnimImgObject* o = (*Objects)[i].AsImage();
    if (!o) continue;  // only objects with a picture are drawn
    auto lock = o->Lock();
    if (!o->Visible || !o->HasPicture()) continue;
    const int left = o->PixelLeft();
    const int top = o->PixelTop();
    int right, bottom;
    if (o->Scaled) {
      right = int(RoundClamped(left + o->ImageWidth * o->ScaleX * o->WidthSize / 100, 1 << 30));
      bottom = int(RoundClamped(top + o->ImageHeight * o->ScaleY * o->HeightSize / 100, 1 << 30));
    } else {
      right = left + o->ImageWidth;
      bottom = top + o->ImageHeight;
    }
    // Zero or negative sizes draw nothing (a negative width would mirror).
    if (right <= left || bottom <= top) continue;
    const Bitmap32& src =
        o->Flipped && o->FlipBuffer.width() == o->Buffer.width() ? o->FlipBuffer : o->Buffer;
    o->DrawStretched(Composite, left, top, right - left, bottom - top, src);
  }
}

const Bitmap32& TAnimEngine::GetFrame() const {
  return weatherOn_ || HasObjects() ? Composite : WaterFrame;
}

void TAnimEngine::ResetOutput() {
  if (!Picture || WaterFrame.empty() || Picture->width() != Width || Picture->height() != Height)
    return;
  std::memcpy(WaterFrame.data(), Picture->data(), WaterFrame.pixelCount() * sizeof(Pixel));
  if (HasReflection) BuildReflection();
}

void TAnimEngine::ResizeProject(bool keepAspect, TProject& project, int width, int height) {
  const int pw = project.picture.width();
  const int ph = project.picture.height();
  if (pw <= 0 || ph <= 0 || width <= 0 || height <= 0) return;
  int w = width, h = height;
  if (keepAspect) {
    const double r = double(pw) / ph;
    if (double(ph) * w / h < pw) {
      h = int(RoundClamped(w / r, 1 << 20));
    } else {
      w = int(RoundClamped(h * r, 1 << 20));
    }
    w = std::max(w, 1);
    h = std::max(h, 1);
  }
  for (int i = 0; i < TProject::kWaveCount; ++i) {
    TWaveParam& wave = project.wave(i);
    wave.Amplitude = int(RoundClamped(double(w) / pw * wave.Amplitude, 1 << 30));
    wave.JitterRange = int(RoundClamped(double(h) / ph * wave.JitterRange, 1 << 30));
  }
  if (w == pw && h == ph) return;
  Bitmap32 picture(w, h);
  StretchLanczos(project.picture, picture);
  project.picture = std::move(picture);
  if (!project.areaMask.empty()) {
    // Nearest-pixel copy: the mask must keep its pure area colours.
    Bitmap32 mask(w, h);
    Stretch(mask, 0, 0, w, h, project.areaMask, 0, 0, project.areaMask.width(),
            project.areaMask.height());
    project.areaMask = std::move(mask);
  }
}

}  // namespace tp
