#pragma once
// Helpers for the audio tests: a platform with a manual clock and a run loop that also
// delivers timed posts, the recording audio devices on that clock, wave files written in
// code, and the event log read back as lines.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessAudio.h"

namespace tp::test {

class ManualClock : public Clock {
 public:
  uint32_t Tick() override { return now_; }
  void Sleep(uint32_t ms) override { now_ += ms; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  uint32_t now_ = 0;
};

class ManualRunLoop : public RunLoop {
 public:
  explicit ManualRunLoop(Clock& clock) : clock_(clock) {}
  void PumpMessages() override;
  void WaitMessage() override {}
  void Post(std::function<void()> fn) override;
  void PostAt(uint32_t tick, std::function<void()> fn);

 private:
  Clock& clock_;
  std::mutex mutex_;
  std::deque<std::function<void()>> posted_;
  std::multimap<uint32_t, std::function<void()>> timed_;
};

// Installed as the current platform for the test's lifetime (audio from the recording
// devices unless another system is handed in).
class AudioTestPlatform : public Platform {
 public:
  explicit AudioTestPlatform(HeadlessAudioOptions options = {});
  const char* Name() const override { return "audio-test"; }
  Clock& clock() override { return clock_; }
  RunLoop& runLoop() override { return runLoop_; }
  MessageBoxes& messageBoxes() override;
  Shell& shell() override;
  Desktop& desktop() override;
  AudioSystem& audio() override { return *audio_; }
  int ScreenWidth() const override { return 640; }
  int ScreenHeight() const override { return 480; }
  int DesktopBitDepth() const override { return 32; }
  std::unique_ptr<Display> CreateDisplay(const DisplayOptions&, InputHandler*) override { return nullptr; }

  ManualClock clock_;
  ManualRunLoop runLoop_{clock_};
  std::unique_ptr<AudioSystem> audio_;
};

// Installs an AudioTestPlatform and an event log file; both removed at the end.
class AudioTestEnvironment {
 public:
  explicit AudioTestEnvironment(HeadlessAudioOptions options = {});
  ~AudioTestEnvironment();
  AudioTestPlatform& platform() { return *platform_; }
  ManualClock& clock() { return platform_->clock_; }
  ManualRunLoop& runLoop() { return platform_->runLoop_; }
  AudioSystem& audio() { return *platform_->audio_; }
  const std::string& dir() const { return dir_; }  // a fresh folder for the test's files

  // Advances the clock in steps, pumping messages and calling step (if any) after each.
  void Run(uint32_t ms, uint32_t stepMs = 10, const std::function<void()>& step = {});

  struct Event {
    uint32_t tick;
    std::string kind;
    std::string details;
  };
  // Events logged so far, optionally only those of one kind.
  std::vector<Event> Events(const std::string& kind = {}) const;
  // Details of the events of kind that start with prefix.
  std::vector<Event> EventsStarting(const std::string& kind, const std::string& prefix) const;

 private:
  AudioTestPlatform* platform_;
  std::string dir_;
  std::string logPath_;
};

// Writes a 16-bit PCM mono wave file with a sine tone lasting ms milliseconds.
void WriteWave(const std::string& path, uint32_t ms, uint32_t sampleRate = 8000, double hz = 440.0);
void WriteText(const std::string& path, const std::string& text);

}  // namespace tp::test
