#include "platform/headless/HeadlessAudio.h"

#include <string>
#include <utility>

#include "platform/EventLog.h"

namespace tp {
namespace {

class RecordingMusicDevice : public MusicDevice {
 public:
  void Open(const std::string& path) override {
    path_ = path;
    LogEvent("music", "open " + path);
  }
  void Play() override { LogEvent("music", "play"); }
  uint32_t LengthMs() const override { return 0; }
  uint32_t PositionMs() const override { return 0; }
  void Close() override { path_.clear(); }
  void SetNotify(std::function<void()> onFinished) override { notify_ = std::move(onFinished); }

 private:
  std::string path_;
  std::function<void()> notify_;
};

class RecordingSoundDevice : public SoundDevice {
 public:
  explicit RecordingSoundDevice(int slot) : slot_(slot) {}
  bool Load(const std::string& path) override {
    path_ = path;
    return true;
  }
  void SetVolume(int) override {}
  void Play(bool loop) override {
    LogEvent("sound", "play slot=" + std::to_string(slot_) + " loop=" + (loop ? "1" : "0") + " " + path_);
  }
  void Stop() override {}

 private:
  int slot_;
  std::string path_;
};

class RecordingWavePlayer : public WavePlayer {
 public:
  void Play(const std::string& path, bool loop) override {
    LogEvent("sound", std::string("play slot=0 loop=") + (loop ? "1" : "0") + " " + path);
  }
  void Stop() override {}
};

class RecordingAudioSystem : public AudioSystem {
 public:
  std::unique_ptr<MusicDevice> CreateMusicDevice() override {
    return std::make_unique<RecordingMusicDevice>();
  }
  std::unique_ptr<SoundDevice> CreateSoundDevice() override {
    return std::make_unique<RecordingSoundDevice>(nextSlot_++);
  }
  std::unique_ptr<WavePlayer> CreateWavePlayer() override {
    return std::make_unique<RecordingWavePlayer>();
  }

 private:
  int nextSlot_ = 0;
};

}  // namespace

std::unique_ptr<AudioSystem> CreateHeadlessAudioSystem() {
  return std::make_unique<RecordingAudioSystem>();
}

}  // namespace tp
