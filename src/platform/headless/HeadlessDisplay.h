#pragma once
// The headless screen: a bitmap that Present, PresentScaled and FillBlack write into.
// Every presented frame goes to the frame log (and optionally a PNG) and costs
// TIDEPOOL_PRESENT_MS of virtual time.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "imaging/LetterboxStretch.h"
#include "platform/Display.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessOptions.h"
#include "platform/headless/HeadlessRunLoop.h"

namespace tp {

// Writes the frame log and the PNG frames; shared by the displays of one platform.
class FrameRecorder {
 public:
  explicit FrameRecorder(const HeadlessOptions& options);
  ~FrameRecorder();
  FrameRecorder(const FrameRecorder&) = delete;
  FrameRecorder& operator=(const FrameRecorder&) = delete;
  // One presented frame: the log line, and the screen as a PNG when frames are kept.
  void Record(uint32_t tick, const char* path, int x, int y, int w, int h, uint64_t hash,
              const Bitmap32& screen);
  // What a frame (presented at tick, with hash) shows of a picture: a view line.
  void RecordView(uint32_t tick, const PictureView& view, uint64_t hash);
  uint64_t frameCount() const { return frames_; }

 private:
  FILE* log_ = nullptr;
  std::string dir_;
  uint32_t every_ = 1;
  uint64_t frames_ = 0;
};

class HeadlessDisplay : public Display {
 public:
  HeadlessDisplay(int width, int height, HeadlessClock& clock, HeadlessRunLoop& loop,
                  FrameRecorder& recorder, const HeadlessOptions& options, InputHandler* handler);
  ~HeadlessDisplay() override;

  int ScreenWidth() const override { return screen_.width(); }
  int ScreenHeight() const override { return screen_.height(); }
  int BitDepth() const override { return 32; }
  void Present(const Bitmap32& bitmap, int x, int y) override;
  void FillBlack() override;
  void Capture(Bitmap32& out) override;
  bool InitScaled(int width, int height, int bitsPerPixel) override;
  bool CanDraw() const override { return scaledReady_; }
  void PresentScaled(const Bitmap32& bitmap) override;
  void CaptureBackSurface(Bitmap32& out) override;
  double RefreshHz() const override { return refreshHz_; }
  void ShowCursor(bool show) override;
  void NoteView(const PictureView& view) override;

  int cursorCount() const { return cursorCount_; }

 private:
  void Presented(const char* path, int x, int y, int w, int h, uint64_t hash);

  Bitmap32 screen_;
  std::optional<uint64_t> blackHash_;
  Bitmap32 back_;
  LetterboxStretcher stretcher_;
  HeadlessClock& clock_;
  HeadlessRunLoop& loop_;
  FrameRecorder& recorder_;
  uint32_t presentMs_;
  double refreshHz_;
  bool scaledFails_;
  bool scaledReady_ = false;
  int cursorCount_ = 0;
  uint32_t lastTick_ = 0;  // when the last frame was presented, and its hash
  uint64_t lastHash_ = 0;
  InputHandler* handler_;
};

}  // namespace tp
