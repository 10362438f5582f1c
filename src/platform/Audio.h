#pragma once
// Music device, sound-effect devices and the simple wave player.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tp {

class MusicDevice {
 public:
  virtual ~MusicDevice() = default;
  // Opens a file; throws std::runtime_error when it cannot be opened.
  virtual void Open(const std::string& path) = 0;
  // Starts playing; the notify callback runs on the UI thread (through the run loop)
  // when the track has played to its end.
  virtual void Play() = 0;
  virtual uint32_t LengthMs() const = 0;
  virtual uint32_t PositionMs() const = 0;
  virtual void Close() = 0;
  virtual void SetNotify(std::function<void()> onFinished) = 0;
};

class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  // Loads a wave file into the buffer; false when it cannot be loaded.
  virtual bool Load(const std::string& path) = 0;
  // Volume in hundredths of a decibel (0 = full, -10000 = silent).
  virtual void SetVolume(int hundredthsDb) = 0;
  virtual void Play(bool loop) = 0;
  virtual void Stop() = 0;
};

class WavePlayer {
 public:
  virtual ~WavePlayer() = default;
  // Plays one sound; a new sound replaces the one playing.
  virtual void Play(const std::string& path, bool loop) = 0;
  virtual void Stop() = 0;
};

}  // namespace tp

namespace tp {

// Creates the devices; a backend without sound returns nullptr from the factories.
class AudioSystem {
 public:
  virtual ~AudioSystem() = default;
  virtual std::unique_ptr<MusicDevice> CreateMusicDevice() = 0;
  virtual std::unique_ptr<SoundDevice> CreateSoundDevice() = 0;
  virtual std::unique_ptr<WavePlayer> CreateWavePlayer() = 0;
};

// An audio system without any device: music is off and sound effects are silent.
// For backends where no audio device could be opened.
class SilentAudioSystem : public AudioSystem {
 public:
  std::unique_ptr<MusicDevice> CreateMusicDevice() override { return nullptr; }
  std::unique_ptr<SoundDevice> CreateSoundDevice() override { return nullptr; }
  std::unique_ptr<WavePlayer> CreateWavePlayer() override { return nullptr; }
};

}  // namespace tp
