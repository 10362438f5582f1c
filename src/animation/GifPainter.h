#pragma once
// The background painter of an animated GIF object: composes the GIF's frames one after
// another on its own thread, each shown for its stored delay scaled by the playback
// speed, looping, and hands every finished frame to a sink (which copies it into the
// object's buffers under the object's lock). The frame being composed is private to the
// painter, so the sink only ever sees whole frames. The painter thread is a worker of
// its clock (Clock.h).
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "imaging/Bitmap32.h"
#include "imaging/import/GifAnimation.h"
#include "platform/Clock.h"

namespace tp {

class TGifPainter {
 public:
  using FrameSink = std::function<void(const Bitmap32& frame)>;

  TGifPainter() = default;
  ~TGifPainter() { Stop(); }
  TGifPainter(const TGifPainter&) = delete;
  TGifPainter& operator=(const TGifPainter&) = delete;

  // Composes frame 0 and hands it to sink at once, on the calling thread; then, when the
  // GIF has more than one frame and speedPercent > 0, keeps painting on its own thread.
  // Frame delays are measured on clock.
  void Start(std::shared_ptr<const GifImage> gif, int speedPercent, Clock& clock,
             FrameSink sink);
  // Starts the animation over at frame 0 (composed and handed to the sink now) when the
  // painter already plays gif at this speed on clock, keeping its thread; false, doing
  // nothing, when it does not (then call Start).
  bool Restart(const std::shared_ptr<const GifImage>& gif, int speedPercent, Clock& clock);
  // Ends the painter thread and joins it. Safe to call at any time, from any thread
  // except the painter's own.
  void Stop();
  bool Painting() const { return painting_.load(); }
  long FramesPainted() const { return frames_.load(); }
  // Painter threads made so far (a restart keeps the running one).
  long ThreadsStarted() const { return threads_.load(); }

  // Milliseconds a frame with this stored delay stays at a playback speed in percent
  // (delays under 20 ms are shown for 100 ms, as GIF viewers commonly do).
  static int FrameDelayMs(int storedDelayMs, int speedPercent);

 private:
  void Run();
  // Ends the painter thread and joins it (control_ held).
  void StopThread();

  std::mutex control_;  // serialises Start, Restart and Stop
  std::mutex paint_;    // held while a frame is composed and handed over
  std::atomic<bool> stop_{false};
  std::atomic<bool> interrupt_{false};  // ends the painter's pause early (stop or restart)
  std::thread thread_;
  Clock::WorkerId workerId_ = 0;
  std::shared_ptr<const GifImage> gif_;
  std::unique_ptr<GifAnimator> animator_;
  Bitmap32 canvas_;
  size_t shown_ = 0;
  int speed_ = 100;
  Clock* clock_ = nullptr;
  FrameSink sink_;
  std::atomic<bool> painting_{false};
  std::atomic<long> frames_{0};
  std::atomic<long> threads_{0};
};

}  // namespace tp
