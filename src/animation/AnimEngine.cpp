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
// defined; stored wave values may be anything. The same result as RoundHalfEven, with the
// floor taken by truncation (exact for |v| <= limit <= 4e18), as it runs several times
// per row of every frame.
int64_t RoundClamped(double v, double limit) {
  if (!(v > -limit)) return int64_t(-limit);  // also NaN
  if (v > limit) return int64_t(limit);
  int64_t i = int64_t(v);
  if (double(i) > v) --i;
  const double diff = v - double(i);
  if (diff > 0.5) return i + 1;
  if (diff < 0.5) return i;
  return (i % 2 == 0) ? i : i + 1;
}

// |(a rem period) rem 360| and |a rem 360|, the cosine table indices of a row's angle.
void AngleIndices(int64_t a, int period, int* vIndex, int* hIndex) {
  // 32-bit remainders are cheaper; INT32_MIN stays out, as INT32_MIN rem -1 is not defined.
  if (a > INT32_MIN && a <= INT32_MAX) {
    const int32_t a32 = int32_t(a);
    const int32_t v = (a32 % period) % 360, h = a32 % 360;
    *vIndex = v < 0 ? -v : v;
    *hIndex = h < 0 ? -h : h;
    return;
  }
  const int64_t v = (a % period) % 360, h = a % 360;
  *vIndex = int(v < 0 ? -v : v);
  *hIndex = int(h < 0 ? -h : h);
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
  composeAll_ = true;
  sameRuns_ = false;
}

void TAnimEngine::SetWeather(bool on) {
  Snow.reset();
  Rain.reset();
  weatherOn_ = false;
  composeAll_ = true;  // the old weather's particles are still in the composite
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
  // Until everything below is built the engine has no frame; a failure on the way (an
  // allocation for a huge picture) leaves it so, rather than with tables of two sizes.
  started_ = false;
  try {
    Build();
  } catch (...) {
    Stop();
    throw;
  }
}

void TAnimEngine::Stop() {
  started_ = false;
  Width = Height = 0;
  WaterFrame = Bitmap32();
  Composite = Bitmap32();
  ReflectedPicture = Bitmap32();
  HasReflection = false;
  MaskRows.clear();
  SourceRows.clear();
  WaterRows.clear();
  ReflectedRows.clear();
  CompositeRows.clear();
  AreaMap.clear();
  AreaRows.clear();
  runs_.clear();
  runStart_.clear();
  runWave_.clear();
  overlay_.clear();
  composeAll_ = true;
  sameRuns_ = false;
  Snow.reset();
  Rain.reset();
  weatherOn_ = false;
  if (Objects) Objects->StopAll();
  Objects.reset();
}

void TAnimEngine::Build() {
  const uint32_t now = clock_->Tick();
  LastTick = now;
  // The frames first; the size the rows and tables are built for follows them.
  WaterFrame.SetSize(Picture->width(), Picture->height());
  if ((Project && Project->weather.WeatherKind > 0) || HasObjects()) {
    Composite.SetSize(Picture->width(), Picture->height());
  }
  Width = WaterFrame.width();
  Height = WaterFrame.height();

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
  overlay_.clear();
  overlay_.reserve(size_t(Objects ? Objects->Count() : 0) + size_t(TSnow::kMaxCount));

  RenderFrame();
  if (!WaterFrame.empty()) {
    std::memcpy(WaterFrame.data(), Picture->data(), WaterFrame.pixelCount() * sizeof(Pixel));
  }
  composeAll_ = true;
  sameRuns_ = false;
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
  runWave_.assign(runs_.size(), RowWave{});
  sameRuns_ = false;
}

void TAnimEngine::BuildJitter() {
  anyJitter_ = false;
  for (int i = 0; i < kRecords; ++i) {
    std::vector<int>& rows = JitterRows[size_t(i)];
    rows.assign(size_t(std::max(Width, 0)), 0);
    jittered_[size_t(i)] = false;
    sameRuns_ = false;
    const int range = WaveParams[size_t(i)].JitterRange;
    if (range <= 1) continue;  // 0 for ranges 0 and 1 (and stored negative ranges)
    for (int& j : rows) {
      j = ProgramRandom::Random(range);
      jittered_[size_t(i)] = jittered_[size_t(i)] || j != 0;
    }
    anyJitter_ = anyJitter_ || jittered_[size_t(i)];
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
  sameRuns_ = false;
}

template <class F>
void TAnimEngine::ForAreaSpans(int y, int a, int lo, int hi, F&& f) const {
  const WaterRun* first = runs_.data() + runStart_[size_t(y)];
  const WaterRun* last = runs_.data() + runStart_[size_t(y) + 1];
  // Runs are ordered by column: skip those that end at or before lo.
  const WaterRun* r =
      std::partition_point(first, last, [lo](const WaterRun& run) { return run.x1 <= lo; });
  for (; r != last && r->x0 < hi; ++r) {
    if (r->area == a) f(std::max(r->x0, lo), std::min(r->x1, hi));
  }
}

namespace {

// The n pixels at from go to x of the water row and, when there is one, the composite row.
inline void PutPixels(Pixel* water, Pixel* comp, int x, const Pixel* from, int n) {
  std::memcpy(water + x, from, size_t(n) * sizeof(Pixel));
  if (comp) std::memcpy(comp + x, from, size_t(n) * sizeof(Pixel));
}

inline void FillPixels(Pixel* water, Pixel* comp, int x, Pixel value, int n) {
  std::fill_n(water + x, n, value);
  if (comp) std::fill_n(comp + x, n, value);
}

}  // namespace

// A run whose columns have their own row offsets: pixel by pixel, as each column may
// read and write other rows.
template <bool Horizontal>
void TAnimEngine::RenderJitterRun(int y, const WaterRun& run, int v, int h, Pixel* const* comp) {
  const int a = run.area;
  const int maxRow = Height - 1;
  const int maxCol = Width - 1;
  const int* jitter = JitterRows[size_t(a)].data();
  for (int x = run.x0; x < run.x1; ++x) {
    const int j = jitter[x];
    const int sy = std::clamp(y - j + v, 0, maxRow);
    const int ty = std::clamp(y - j, 0, maxRow);
    const int sx = Horizontal ? std::clamp(x + h, 0, maxCol) : x;
    if (AreaRows[size_t(ty)][sx] == a && AreaRows[size_t(sy)][sx] == a) {
      const Pixel p = SourceRows[size_t(sy)][sx];
      WaterRows[size_t(ty)][x] = p;
      if (comp) comp[ty][x] = p;
    }
  }
}

void TAnimEngine::RenderRow(int y) {
  RenderRowTo(y, nullptr);
  composeAll_ = true;  // the composite did not follow this row
}

// Without jitter a run writes only its own row, from one source row sy and the columns
// shifted by h. The pixels it takes are those whose source column lies in the area both
// in row y and in row sy; these form a few spans, each copied whole. Columns shifted past
// an edge all read the edge column.
void TAnimEngine::RenderRowTo(int y, Pixel* const* comp) {
  Pixel* water = WaterRows[size_t(y)];
  Pixel* compRow = comp ? comp[y] : nullptr;
  const int maxRow = Height - 1;
  const int maxCol = Width - 1;
  const bool skipSame = !anyJitter_;
  for (int r = runStart_[size_t(y)]; r < runStart_[size_t(y) + 1]; ++r) {
    const WaterRun& run = runs_[size_t(r)];
    const int a = run.area;
    const TWaveParam& w = WaveParams[size_t(a)];
    const int v = w.VerticalWave ? rowWave_[size_t(a)].v : 0;
    const int h = rowWave_[size_t(a)].h;
    if (skipSame) {
      // Without a horizontal wave h plays no part.
      const RowWave drawn{v, w.HorizontalWave ? h : std::numeric_limits<int>::min()};
      RowWave& last = runWave_[size_t(r)];
      if (sameRuns_ && last.v == drawn.v && last.h == drawn.h) continue;
      last = drawn;
    }
    if (jittered_[size_t(a)]) {
      if (w.HorizontalWave) {
        RenderJitterRun<true>(y, run, v, h, comp);
      } else {
        RenderJitterRun<false>(y, run, v, h, comp);
      }
      continue;
    }

    const int sy = std::clamp(y + v, 0, maxRow);
    const Pixel* src = SourceRows[size_t(sy)];
    if (!w.HorizontalWave) {
      // Row y holds area a over the whole run; only row sy needs checking.
      if (sy == y) {
        PutPixels(water, compRow, run.x0, src + run.x0, run.x1 - run.x0);
      } else {
        ForAreaSpans(sy, a, run.x0, run.x1,
                     [&](int s0, int s1) { PutPixels(water, compRow, s0, src + s0, s1 - s0); });
      }
      continue;
    }

    auto edge = [&](int x0, int x1, int sx) {
      if (x0 < x1 && AreaRows[size_t(y)][sx] == a && AreaRows[size_t(sy)][sx] == a)
        FillPixels(water, compRow, x0, src[sx], x1 - x0);
    };
    // Columns x with x + h < 0 read column 0, those with x + h > maxCol read maxCol.
    const int64_t lo = std::max<int64_t>(run.x0, -int64_t(h));
    const int64_t hi = std::min<int64_t>(run.x1, int64_t(Width) - h);
    edge(run.x0, int(std::min<int64_t>(run.x1, lo)), 0);
    edge(int(std::max<int64_t>(run.x0, hi)), run.x1, maxCol);
    if (lo >= hi) continue;
    // The middle: source columns [lo + h, hi + h), inside the picture.
    ForAreaSpans(y, a, int(lo + h), int(hi + h), [&](int s0, int s1) {
      if (sy == y) {
        PutPixels(water, compRow, s0 - h, src + s0, s1 - s0);
        return;
      }
      ForAreaSpans(sy, a, s0, s1,
                   [&](int t0, int t1) { PutPixels(water, compRow, t0 - h, src + t0, t1 - t0); });
    });
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

  // The ripple writes the composite as well when only the overlays need restoring there.
  const bool compose = weatherOn_ || HasObjects();
  Pixel* const* comp = nullptr;
  if (compose) {
    if (Composite.width() != Width || Composite.height() != Height) {
      Composite.SetSize(Width, Height);
      composeAll_ = true;
    }
    if (!composeAll_) {
      if (CompositeRows.size() != size_t(Height) || CompositeRows[0] != Composite.data()) {
        CompositeRows.resize(size_t(Height));
        for (int y = 0; y < Height; ++y) CompositeRows[size_t(y)] = Composite.scanline(y);
      }
      comp = CompositeRows.data();
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
      int vi, hi;
      AngleIndices(a, period[size_t(i)], &vi, &hi);
      rowWave_[size_t(i)].v = int(RoundClamped(CosTable[size_t(vi)] * A[size_t(i)], 1 << 24));
      rowWave_[size_t(i)].h = int(RoundClamped(CosTable[size_t(hi)] * A[size_t(i)], 1 << 24));
    }
    RenderRowTo(y, comp);
  }
  sameRuns_ = !anyJitter_;

  for (int i = 0; i < kRecords; ++i) {
    const TWaveParam& w = WaveParams[size_t(i)];
    const int64_t d =
        RoundClamped(double(w.WaveSpeed) * elapsed / 50 * SpeedPercent / 100, 1e15);
    Phase[size_t(i)] += w.WaveForward != 0 ? d : -d;
  }

  if (!compose) {
    composeAll_ = true;
    return;
  }
  RestoreComposite();
  // Until this frame's overlays are all noted, the composite's state is not known.
  composeAll_ = true;
  overlay_.clear();
  DrawObjects();
  bool tracked = true;
  if (weatherOn_ && Project) {
    const TWeatherParam& wp = Project->weather;
    if (Snow) {
      Snow->Elapsed = elapsed;
      Snow->SpeedPercent = SpeedPercent;
      Snow->SpeedLevel = wp.SpeedLevel;
      Snow->WeatherOpacity = wp.WeatherOpacity;
      Snow->StepAndDraw();
      // Every pixel of a flake lies within one pixel left or above and two right or below
      // of its rounded position.
      for (const TFlake& f : Snow->Flakes) {
        const int64_t x = RoundClamped(f.X, 1 << 30), y = RoundClamped(f.Y, 1 << 30);
        NoteOverlay(int(x - 1), int(y - 1), int(x + 3), int(y + 3));
      }
    } else if (Rain) {
      Rain->Elapsed = elapsed;
      Rain->SpeedPercent = SpeedPercent;
      Rain->SpeedLevel = wp.SpeedLevel;
      Rain->LengthScale = wp.LengthScale;
      Rain->WeatherOpacity = wp.WeatherOpacity;
      Rain->Direction = 180 - wp.Angle;
      Rain->StepAndDraw();
      tracked = false;  // streaks are not noted: the next frame copies the whole water frame
    }
  }
  composeAll_ = !tracked;
}

void TAnimEngine::NoteOverlay(int left, int top, int right, int bottom) {
  const Rect r = Intersect(Rect{left, top, right, bottom}, Rect{0, 0, Width, Height});
  if (!r.empty()) overlay_.push_back(r);
}

void TAnimEngine::RestoreComposite() {
  if (composeAll_) {
    std::memcpy(Composite.data(), WaterFrame.data(), WaterFrame.pixelCount() * sizeof(Pixel));
    return;
  }
  for (const Rect& r : overlay_) {
    const size_t n = size_t(r.right - r.left);
    for (int y = r.top; y < r.bottom; ++y) {
      const Pixel* from = WaterFrame.scanline(y) + r.left;
      Pixel* to = Composite.scanline(y) + r.left;
      for (size_t i = 0; i < n; ++i) to[i] = from[i];
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
    // Corners far outside the picture: the block is cut to a size an int holds.
    const int width = int(std::min<int64_t>(int64_t(right) - left, std::numeric_limits<int>::max()));
    const int height = int(std::min<int64_t>(int64_t(bottom) - top, std::numeric_limits<int>::max()));
    const Bitmap32& src =
        o->Flipped && o->FlipBuffer.width() == o->Buffer.width() ? o->FlipBuffer : o->Buffer;
    NoteOverlay(left, top, right, bottom);
    o->DrawStretched(Composite, left, top, width, height, src);
  }
}

const Bitmap32& TAnimEngine::GetFrame() const {
  return weatherOn_ || HasObjects() ? Composite : WaterFrame;
}

void TAnimEngine::ResetOutput() {
  if (!Picture || WaterFrame.empty() || Picture->width() != Width || Picture->height() != Height)
    return;
  std::memcpy(WaterFrame.data(), Picture->data(), WaterFrame.pixelCount() * sizeof(Pixel));
  composeAll_ = true;
  sameRuns_ = false;
  if (HasReflection) BuildReflection();
}

void TAnimEngine::ResizeProject(bool keepAspect, TProject& project, int width, int height) {
  // Ratios are taken from the stored size: the picture may have been decoded smaller.
  const int pw = project.pictureWidth > 0 ? project.pictureWidth : project.picture.width();
  const int ph = project.pictureHeight > 0 ? project.pictureHeight : project.picture.height();
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
  // Both bitmaps are written whole, so they are not cleared first. A picture decoded at
  // the target size already is kept as it is.
  if (w != project.picture.width() || h != project.picture.height()) {
    Bitmap32 picture;
    picture.SetSizeUninitialized(w, h);
    StretchLanczos(project.picture, picture);
    project.picture = std::move(picture);
  }
  if (!project.areaMask.empty()) {
    // Nearest-pixel copy: the mask must keep its pure area colours.
    Bitmap32 mask;
    mask.SetSizeUninitialized(w, h);
    Stretch(mask, 0, 0, w, h, project.areaMask, 0, 0, project.areaMask.width(),
            project.areaMask.height());
    project.areaMask = std::move(mask);
  }
}

}  // namespace tp
