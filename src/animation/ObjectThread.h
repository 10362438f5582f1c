#pragma once
// The worker thread of one animation object: calls a step function every 5 ms while it
// is resumed. It is created suspended; Suspend returns only once no step is running, so
// the caller may then change the object freely; destruction (or Terminate) ends and joins
// the thread.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tp {

class TObjectThread {
 public:
  static constexpr int kStepMs = 5;

  // step runs once per cycle; pause waits between steps (the object's clock sleeping
  // kStepMs; without one, a real 5 ms sleep).
  explicit TObjectThread(std::function<void()> step, std::function<void()> pause = {})
      : step_(std::move(step)), pause_(std::move(pause)) {}
  ~TObjectThread() { Terminate(); }
  TObjectThread(const TObjectThread&) = delete;
  TObjectThread& operator=(const TObjectThread&) = delete;

  // Starts or continues stepping (the system thread is created on the first call).
  void Resume();
  // Stops stepping and waits until a step in progress has finished. Called from the
  // worker itself it only marks the thread suspended.
  void Suspend();
  // Ends the thread and joins it; the object can no longer be resumed.
  void Terminate();
  // Tells the thread to end without waiting (Terminate or destruction then joins).
  void RequestTerminate();

  bool Suspended() const;
  bool Terminated() const;
  // Steps run so far (for tests and diagnostics).
  long StepsRun() const;

 private:
  void Run();

  std::function<void()> step_;
  std::function<void()> pause_;
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::thread thread_;
  bool running_ = false;
  bool terminate_ = false;
  bool inStep_ = false;
  long steps_ = 0;
};

}  // namespace tp
