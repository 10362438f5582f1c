#include "platform/headless/HeadlessDisplay.h"

#include <algorithm>
#include <cstring>

#include "core/TextUtil.h"
#include "platform/EventLog.h"
#include "platform/headless/FrameHash.h"
#include "platform/headless/FramePng.h"

namespace tp {

FrameRecorder::FrameRecorder(const HeadlessOptions& options)
    : dir_(options.framesDir), every_(options.framesEvery ? options.framesEvery : 1) {
  if (!options.frameLogPath.empty()) {
    log_ = std::fopen(options.frameLogPath.c_str(), "a");
    if (!log_) std::fprintf(stderr, "tidepool: cannot open frame log %s\n", options.frameLogPath.c_str());
  }
}

FrameRecorder::~FrameRecorder() {
  if (log_) std::fclose(log_);
}

void FrameRecorder::Record(uint32_t tick, const char* path, int x, int y, int w, int h, uint64_t hash,
                           const Bitmap32& screen) {
  const uint64_t index = frames_++;
  if (log_) {
    std::fprintf(log_, "%u %s %d %d %d %d %s\n", tick, path, x, y, w, h, HashHex(hash).c_str());
    std::fflush(log_);
  }
  if (!dir_.empty() && index % every_ == 0) {
    char name[32];
    std::snprintf(name, sizeof name, "/%06llu.png", (unsigned long long)index);
    if (!WriteFramePng(screen, dir_ + name))
      std::fprintf(stderr, "tidepool: cannot write frame %s%s\n", dir_.c_str(), name);
  }
}

void FrameRecorder::RecordView(uint32_t tick, const PictureView& v, uint64_t hash) {
  if (!log_) return;
  std::fprintf(log_, "%u view %d %d %d %d %s %s %s %s %s\n", tick, v.x, v.y, v.width, v.height,
               TwoDecimals(v.sourceX).c_str(), TwoDecimals(v.sourceY).c_str(), TwoDecimals(v.sourceWidth).c_str(),
               TwoDecimals(v.sourceHeight).c_str(), HashHex(hash).c_str());
  std::fflush(log_);
}

HeadlessDisplay::HeadlessDisplay(int width, int height, HeadlessClock& clock, HeadlessRunLoop& loop,
                                 FrameRecorder& recorder, const HeadlessOptions& options,
                                 InputHandler* handler)
    : screen_(width, height),
      clock_(clock),
      loop_(loop),
      recorder_(recorder),
      presentMs_(options.presentMs),
      refreshHz_(options.refreshHz),
      scaledFails_(options.scaledFails),
      handler_(handler) {
  loop_.SetInputHandler(handler_);
  LogEvent("display", "open " + std::to_string(width) + "x" + std::to_string(height));
}

HeadlessDisplay::~HeadlessDisplay() {
  loop_.ClearInputHandler(handler_);
  LogEvent("display", "close");
}

void HeadlessDisplay::Presented(const char* path, int x, int y, int w, int h, uint64_t hash) {
  lastTick_ = clock_.Tick();
  lastHash_ = hash;
  recorder_.Record(lastTick_, path, x, y, w, h, hash, screen_);
  clock_.Advance(presentMs_);
}

void HeadlessDisplay::Present(const Bitmap32& bitmap, int x, int y) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(screen_.width(), x + bitmap.width());
  const int y1 = std::min(screen_.height(), y + bitmap.height());
  // Each row is hashed and then copied while it is still in the cache.
  FrameHasher hasher;
  for (int by = 0; by < bitmap.height(); ++by) {
    const Pixel* row = bitmap.scanline(by);
    hasher.Add(row, bitmap.width());
    const int sy = by + y;
    if (sy >= y0 && sy < y1 && x1 > x0)
      std::memcpy(screen_.scanline(sy) + x0, row + (x0 - x), size_t(x1 - x0) * sizeof(Pixel));
  }
  Presented("window", x, y, bitmap.width(), bitmap.height(), hasher.Hash());
}

void HeadlessDisplay::FillBlack() {
  screen_.Fill(0);
  // The same for every black frame of this screen: worked out once.
  if (!blackHash_) blackHash_ = SolidFrameHash(screen_.width(), screen_.height(), 0);
  Presented("black", 0, 0, screen_.width(), screen_.height(), *blackHash_);
}

void HeadlessDisplay::Capture(Bitmap32& out) { out = screen_; }

bool HeadlessDisplay::InitScaled(int width, int height, int bitsPerPixel) {
  scaledReady_ = !scaledFails_ && width > 0 && height > 0 && bitsPerPixel > 0;
  LogEvent("display", std::string("scaled ") + (scaledReady_ ? "ready " : "failed ") + std::to_string(width) +
                          "x" + std::to_string(height) + "x" + std::to_string(bitsPerPixel));
  return scaledReady_;
}

void HeadlessDisplay::PresentScaled(const Bitmap32& bitmap) {
  stretcher_.Stretch(bitmap, screen_, &back_);
  Presented("scaled", 0, 0, bitmap.width(), bitmap.height(), FrameHash(bitmap));
}

void HeadlessDisplay::CaptureBackSurface(Bitmap32& out) { out = back_; }

void HeadlessDisplay::NoteView(const PictureView& view) { recorder_.RecordView(lastTick_, view, lastHash_); }

void HeadlessDisplay::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  LogEvent("cursor", std::string(show ? "show" : "hide") + " count=" + std::to_string(cursorCount_));
}

}  // namespace tp
