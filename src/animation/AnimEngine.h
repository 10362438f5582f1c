#pragma once
// The animation engine: turns the current packaged picture into live frames. Inside the
// water areas of the mask the picture ripples with each area's wave record (optionally
// over a mirror image of the scene above the area); the animation objects are drawn over
// that water frame, then snow or rain.
//
// Per picture: ResizeProject (when the output size differs), SetProject, SetWeather(false),
// Start, SetWeather(weather kind > 0); then RenderFrame and GetFrame on every idle step.
// Everything here runs on one thread; only the objects' own threads run beside it.
// RenderFrame allocates nothing: row pointers, the area map, its water runs and the
// jitter rows are built once per picture by Start.
// A frame redoes only what changed: water runs whose displacements are those of the last
// frame are left as they are, and the composite is brought back to the water frame only
// where objects and snow were drawn. So WaterFrame and Composite must be written by the
// engine alone (callers read them through GetFrame).
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "animation/Rain.h"
#include "animation/Snow.h"
#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"
#include "platform/Clock.h"
#include "project/PackagedPicture.h"

namespace tp {

class TAnimObjects;

// Makes TProject build its animation objects from the description when it loads a
// packaged picture (done by the engine's constructor; idempotent).
void InstallAnimObjectsBuilder();

class TAnimEngine {
 public:
  static constexpr int kRecords = TProject::kWaveCount;

  // Create: the three bitmaps and the cosine table. clock null: the platform's clock.
  explicit TAnimEngine(Clock* clock = nullptr);
  ~TAnimEngine();
  TAnimEngine(const TAnimEngine&) = delete;
  TAnimEngine& operator=(const TAnimEngine&) = delete;

  // Takes picture, mask, wave records, speed and objects of the packaged picture (not owned;
  // the objects are shared so that a reload of the loader cannot leave them dangling).
  void SetProject(TProject& project);
  // Frees any snow or rain; when on, creates the one the weather kind names.
  void SetWeather(bool on);
  // Builds everything for the picture given by SetProject and starts its objects. When
  // that fails (the exception is passed on), the engine is left stopped.
  void Start();
  // Stopped: no frame, no weather, the objects halted, every per-picture table freed.
  void Stop();
  // Computes the next frame.
  void RenderFrame();
  // Composite when weather is on or there are objects, else the water frame.
  const Bitmap32& GetFrame() const;
  // Copies the picture into the water frame and rebuilds the reflection.
  void ResetOutput();
  // Scales a packaged picture (picture, mask, amplitudes and jitter ranges) to w x h,
  // keeping its aspect when asked. The design size the objects use stays as loaded.
  static void ResizeProject(bool keepAspect, TProject& project, int width, int height);

  // True once a packaged picture was handed over and started.
  bool HasFrame() const { return started_ && !WaterFrame.empty(); }
  TProject* project() const { return Project; }
  const TAnimObjects* objects() const { return Objects.get(); }
  bool WeatherOn() const { return weatherOn_; }
  const TSnow* snow() const { return Snow.get(); }
  const TRain* rain() const { return Rain.get(); }

  // The building steps of Start and the parts of a frame (public for tests).
  void BuildAreaMap();
  void BuildJitter();
  void BuildReflection();
  void RenderRow(int y);
  void DrawObjects();
  int AreaAt(int x, int y) const { return AreaMap[size_t(y) * size_t(Width) + size_t(x)]; }
  int64_t PhaseOf(int record) const { return Phase[size_t(record)]; }

  // State (read by tests and the frame drawing).
  TProject* Project = nullptr;
  const Bitmap32* Picture = nullptr;
  const Bitmap32* Mask = nullptr;
  std::array<TWaveParam, kRecords> WaveParams{};
  std::shared_ptr<TAnimObjects> Objects;
  int SpeedPercent = 100;
  int Width = 0, Height = 0;
  Bitmap32 WaterFrame;
  Bitmap32 Composite;
  Bitmap32 ReflectedPicture;
  bool HasReflection = false;
  std::array<int, kRecords> MinRow{}, MaxRow{};
  std::array<std::vector<int>, kRecords> JitterRows;
  std::array<double, 361> CosTable{};
  uint32_t LastTick = 0;

 private:
  struct WaterRun {
    int x0, x1;  // columns [x0, x1)
    int area;    // area index 0..5
  };
  struct RowWave {
    int v = 0, h = 0;  // vertical and horizontal displacement of the current row
  };
  bool HasObjects() const;
  // The body of Start.
  void Build();
  void BuildRuns();
  // The ripple of row y; with comp (the composite's rows) every pixel written into the
  // water frame is written there too.
  void RenderRowTo(int y, Pixel* const* comp);
  template <bool Horizontal>
  void RenderJitterRun(int y, const WaterRun& run, int v, int h, Pixel* const* comp);
  // Calls f(s0, s1) for each piece of [lo, hi) where row y of the area map holds area a.
  template <class F>
  void ForAreaSpans(int y, int a, int lo, int hi, F&& f) const;
  // Brings the composite back to the water frame where the last frame drew objects or
  // weather (or everywhere when that is not known).
  void RestoreComposite();
  void NoteOverlay(int left, int top, int right, int bottom);

  Clock* clock_;
  bool started_ = false;
  bool weatherOn_ = false;
  std::unique_ptr<TSnow> Snow;
  std::unique_ptr<TRain> Rain;

  std::vector<const Pixel*> MaskRows;
  std::vector<const Pixel*> SourceRows;
  std::vector<Pixel*> ReflectedRows;
  std::vector<Pixel*> WaterRows;
  std::vector<int16_t> AreaMap;  // Width x Height, area - 1 or -1
  std::vector<const int16_t*> AreaRows;
  std::vector<WaterRun> runs_;    // water runs of all rows, row by row
  std::vector<int> runStart_;     // Height + 1 offsets into runs_
  // The displacements each run was last drawn with. Without jitter a run alone writes its
  // pixels, from a source that does not change, so drawing it again with the same values
  // would change nothing. sameRuns_: these values hold for the water frame as it is.
  std::vector<RowWave> runWave_;
  bool sameRuns_ = false;
  std::array<int64_t, kRecords> Phase{};
  std::array<RowWave, kRecords> rowWave_{};
  std::array<bool, kRecords> jittered_{};  // some JitterRows value of the record is not 0
  bool anyJitter_ = false;  // jittered columns write other rows: runs are then always drawn

  // The composite equals the water frame except inside the rectangles of overlay_, where
  // the last frame drew objects and snow; composeAll_: that is not known (after a new
  // picture, new weather, a reset, rain, or a frame left unfinished).
  std::vector<Rect> overlay_;
  bool composeAll_ = true;
  std::vector<Pixel*> CompositeRows;
};

}  // namespace tp
