#pragma once
// Presenting no more often than the screen refreshes: after each present, a wait on the
// clock until the refresh that shows it, the same for every caller (idle frames,
// transitions, folder shows, preview).
#include <cstdint>
#include <functional>

namespace tp {

class Clock;

// The refresh rates a display's report is held to: a broken or hostile window system may
// say 0 Hz or 100000 Hz.
constexpr double kMinRefreshHz = 20;
constexpr double kMaxRefreshHz = 1000;

// The refresh interval in microseconds for a reported rate, within the bounds above; 0
// (presents not paced) for a rate that is not above 0, as the headless screen reports.
uint32_t RefreshIntervalUs(double reportedHz);

class RefreshPacer {
 public:
  // intervalUs 0: Present only shows.
  RefreshPacer(Clock& clock, uint32_t intervalUs);

  // Presents a frame through show, and returns once the screen has shown it, at its
  // refresh: the one after the refresh of the previous frame when the frame comes before
  // that; else one interval after it came (after a pause the refresh's phase is unknown;
  // the whole interval makes the first frame of a run of frames, such as a transition's,
  // cost one refresh as the following ones do). So frames are shown no more often than
  // the screen refreshes, and the time to make the next frame overlaps the wait.
  void Present(const std::function<void()>& show);

  uint32_t intervalUs() const { return intervalUs_; }

 private:
  Clock& clock_;
  uint32_t intervalUs_;
  bool presented_ = false;
  // The refresh that showed the last frame: lastTick_ milliseconds and lastFracUs_ (0..999).
  uint32_t lastTick_ = 0;
  uint32_t lastFracUs_ = 0;
};

}  // namespace tp
