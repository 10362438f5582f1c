#pragma once
// Millisecond tick count (a wrapping 32-bit value) and sleeping.
//
// Worker threads. A thread other than the UI thread that paces itself on the clock (an
// animation object's stepping thread, a GIF painter) joins the clock as a worker:
//   - whoever lets the worker run calls BeginWorker first and hands it the id;
//   - the worker pauses only through WorkerSleep(id, ...), never through Sleep;
//   - before it waits for anything else (suspension) or ends, it calls EndWorker(id).
// A worker's first act after BeginWorker is a WorkerSleep (with 0 ms when it has work to
// do at once), so that all it does runs where the clock puts it. A clock on real time just sleeps; a simulated clock
// (the headless one) runs every worker whose wake-up time has come, one at a time and in
// a fixed order, while the UI thread waits in Sleep, so runs repeat exactly. Threads that
// never sleep on the clock (a picture decoder working ahead, say) need none of this, but
// their results must not depend on when they run.
#include <algorithm>
#include <atomic>
#include <cstdint>

namespace tp {

class Clock {
 public:
  using WorkerId = uint64_t;

  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps at 2^32.
  virtual uint32_t Tick() = 0;
  virtual void Sleep(uint32_t ms) = 0;

  // Registers a worker that is about to run (see above).
  virtual WorkerId BeginWorker() { return 0; }
  // The worker pauses ms; it returns early, false, once cancel is set (whoever sets it
  // calls WakeWorkers). True after the full pause.
  virtual bool WorkerSleep(WorkerId id, uint32_t ms, const std::atomic<bool>& cancel) {
    (void)id;
    for (uint32_t left = ms; left > 0;) {
      if (cancel.load()) return false;
      const uint32_t slice = std::min<uint32_t>(left, 5);
      Sleep(slice);
      left -= slice;
    }
    return !cancel.load();
  }
  // The worker stops running (it ends or waits for something other than the clock).
  virtual void EndWorker(WorkerId id) { (void)id; }
  // Paused workers look at their cancel flags again.
  virtual void WakeWorkers() {}
};

}  // namespace tp
