#include "platform/headless/HeadlessAudio.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"
#include "platform/headless/WaveHeader.h"

namespace tp {
namespace {

std::string LoopText(bool loop) { return loop ? "1" : "0"; }

bool LooksLikeWave(const std::string& path) { return UpperAscii(ExtensionOf(path)) == ".WAV"; }

// How long a file plays, or false when it cannot be opened: a wave file needs a sound
// header; another format only needs to exist.
bool PlayLength(const std::string& path, uint32_t otherFormatMs, uint32_t& lengthMs) {
  WaveInfo info;
  if (ReadWaveInfo(path, info)) {
    lengthMs = info.DurationMs();
    return true;
  }
  if (LooksLikeWave(path) || !FileExists(path)) return false;
  lengthMs = otherFormatMs;
  return true;
}

// What the devices share: the options, the clock and the timed posting.
struct Context {
  HeadlessAudioOptions options;
  Clock* clock = nullptr;
  PostAtFunction postAt;
  std::vector<bool> slotTaken;

  uint32_t Now() const {
    if (clock) return clock->Tick();
    return HasPlatform() ? CurrentPlatform().clock().Tick() : 0;
  }
  void PostAt(uint32_t tick, std::function<void()> fn) const {
    // Without timed posting a track never reports its end.
    if (postAt) postAt(tick, std::move(fn));
  }
};

class RecordingMusicDevice : public MusicDevice {
 public:
  explicit RecordingMusicDevice(std::shared_ptr<Context> context)
      : context_(std::move(context)), track_(std::make_shared<Track>()) {}
  ~RecordingMusicDevice() override { Close(); }

  void Open(const std::string& path) override {
    Close();
    uint32_t length = 0;
    if (!PlayLength(path, context_->options.otherFormatMs, length)) {
      LogEvent("music", "open-failed " + path);
      throw std::runtime_error("cannot open music file " + path);
    }
    LogEvent("music", "open " + path);
    auto notify = std::move(track_->notify);
    track_ = std::make_shared<Track>();
    track_->notify = std::move(notify);
    track_->path = path;
    track_->lengthMs = length;
    track_->open = true;
  }

  void Play() override {
    if (!track_->open) throw std::runtime_error("no music file is open");
    LogEvent("music", "play");
    uint32_t now = context_->Now();
    track_->positionAtStart = track_->finished ? 0 : PositionMs();
    track_->finished = false;
    track_->playing = true;
    track_->startTick = now;
    uint64_t token = ++track_->token;
    std::weak_ptr<Track> weak = track_;
    uint32_t due = now + (track_->lengthMs - track_->positionAtStart);
    context_->PostAt(due, [weak, token] {
      auto track = weak.lock();
      if (!track || !track->playing || track->token != token) return;
      track->playing = false;
      track->finished = true;
      LogEvent("music", "end " + track->path);
      if (track->notify) track->notify();
    });
  }

  uint32_t LengthMs() const override { return track_->open ? track_->lengthMs : 0; }

  uint32_t PositionMs() const override {
    if (!track_->open) return 0;
    if (track_->finished) return track_->lengthMs;
    if (!track_->playing) return track_->positionAtStart;
    uint64_t pos = uint64_t(track_->positionAtStart) + uint32_t(context_->Now() - track_->startTick);
    return uint32_t(std::min<uint64_t>(pos, track_->lengthMs));
  }

  void Close() override {
    if (!track_->open) return;
    LogEvent("music", "close " + track_->path);
    auto notify = std::move(track_->notify);
    track_ = std::make_shared<Track>();  // a pending end report finds its track gone
    track_->notify = std::move(notify);
  }

  void SetNotify(std::function<void()> onFinished) override { track_->notify = std::move(onFinished); }

 private:
  struct Track {
    std::string path;
    bool open = false;
    bool playing = false;
    bool finished = false;
    uint32_t lengthMs = 0;
    uint32_t positionAtStart = 0;
    uint32_t startTick = 0;
    uint64_t token = 0;
    std::function<void()> notify;
  };
  std::shared_ptr<Context> context_;
  std::shared_ptr<Track> track_;
};

class RecordingSoundDevice : public SoundDevice {
 public:
  RecordingSoundDevice(std::shared_ptr<Context> context, int slot) : context_(std::move(context)), slot_(slot) {}
  ~RecordingSoundDevice() override { context_->slotTaken[size_t(slot_)] = false; }

  bool Load(const std::string& path) override {
    Stop();
    WaveInfo info;
    if (!ReadWaveInfo(path, info)) {
      path_.clear();
      LogEvent("sound", "load-failed slot=" + Slot() + " " + path);
      return false;
    }
    path_ = path;
    lengthMs_ = info.DurationMs();
    LogEvent("sound", "load slot=" + Slot() + " " + path);
    return true;
  }

  void SetVolume(int hundredthsDb) override {
    if (hundredthsDb == volume_) return;
    volume_ = hundredthsDb;
    LogEvent("sound", "volume slot=" + Slot() + " " + std::to_string(hundredthsDb));
  }

  void Play(bool loop) override {
    LogEvent("sound", "play slot=" + Slot() + " loop=" + LoopText(loop) + " " + path_);
    looping_ = loop;
    playedAt_ = context_->Now();
    played_ = true;
  }

  void Stop() override {
    if (Playing()) LogEvent("sound", "stop slot=" + Slot());
    played_ = false;
  }

 private:
  std::string Slot() const { return std::to_string(slot_); }
  // A sound plays until stopped when looping, else for its length.
  bool Playing() const { return played_ && (looping_ || uint32_t(context_->Now() - playedAt_) < lengthMs_); }

  std::shared_ptr<Context> context_;
  int slot_;
  std::string path_;
  uint32_t lengthMs_ = 0;
  int volume_ = 0;
  bool looping_ = false;
  bool played_ = false;
  uint32_t playedAt_ = 0;
};

class RecordingWavePlayer : public WavePlayer {
 public:
  explicit RecordingWavePlayer(std::shared_ptr<Context> context) : context_(std::move(context)) {}

  void Play(const std::string& path, bool loop) override {
    played_ = false;
    WaveInfo info;
    if (!ReadWaveInfo(path, info)) {
      LogEvent("wave", "play-failed " + path);
      return;
    }
    LogEvent("wave", "play loop=" + LoopText(loop) + " " + path);
    lengthMs_ = info.DurationMs();
    looping_ = loop;
    playedAt_ = context_->Now();
    played_ = true;
  }

  void Stop() override {
    if (played_ && (looping_ || uint32_t(context_->Now() - playedAt_) < lengthMs_)) LogEvent("wave", "stop");
    played_ = false;
  }

 private:
  std::shared_ptr<Context> context_;
  uint32_t lengthMs_ = 0;
  bool looping_ = false;
  bool played_ = false;
  uint32_t playedAt_ = 0;
};

class RecordingAudioSystem : public AudioSystem {
 public:
  explicit RecordingAudioSystem(std::shared_ptr<Context> context) : context_(std::move(context)) {
    context_->slotTaken.assign(size_t(std::max(0, context_->options.soundDevices)), false);
  }

  std::unique_ptr<MusicDevice> CreateMusicDevice() override {
    if (!context_->options.available) return nullptr;
    return std::make_unique<RecordingMusicDevice>(context_);
  }
  std::unique_ptr<SoundDevice> CreateSoundDevice() override {
    if (!context_->options.available) return nullptr;
    auto& taken = context_->slotTaken;
    auto free = std::find(taken.begin(), taken.end(), false);
    if (free == taken.end()) return nullptr;
    *free = true;
    return std::make_unique<RecordingSoundDevice>(context_, int(free - taken.begin()));
  }
  std::unique_ptr<WavePlayer> CreateWavePlayer() override {
    if (!context_->options.available) return nullptr;
    return std::make_unique<RecordingWavePlayer>(context_);
  }

 private:
  std::shared_ptr<Context> context_;
};

}  // namespace

HeadlessAudioOptions HeadlessAudioOptions::FromEnvironment() {
  HeadlessAudioOptions options;
  const char* value = std::getenv("TIDEPOOL_AUDIO");
  std::string text = value ? value : "";
  if (text == "none") {
    options.available = false;
  } else if (text.rfind("devices=", 0) == 0) {
    options.soundDevices = std::clamp(std::atoi(text.c_str() + 8), 0, 64);
  }
  return options;
}

std::unique_ptr<AudioSystem> CreateHeadlessAudioSystem() {
  return CreateHeadlessAudioSystem(HeadlessAudioOptions::FromEnvironment(), nullptr, nullptr);
}

std::unique_ptr<AudioSystem> CreateHeadlessAudioSystem(const HeadlessAudioOptions& options, Clock* clock,
                                                       PostAtFunction postAt) {
  auto context = std::make_shared<Context>();
  context->options = options;
  context->clock = clock;
  context->postAt = std::move(postAt);
  return std::make_unique<RecordingAudioSystem>(std::move(context));
}

}  // namespace tp
