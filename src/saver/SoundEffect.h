#pragma once
// The sound-effect player of a saver run: eight sound devices, one per sound slot of a
// packaged picture, or, when any of them cannot be made, fallback mode, in which only
// slot 0 is heard through the one-channel wave player.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Audio.h"

namespace tp {

class TSoundEffect {
 public:
  static constexpr int kSlotCount = 8;
  enum State : uint8_t { kDeviceMode = 0, kFallbackMode = 2, kConstructing = 3 };

  // Makes the eight devices; the first that fails puts the player in fallback mode
  // (logged as "sound fallback").
  explicit TSoundEffect(AudioSystem& audio);
  ~TSoundEffect();
  TSoundEffect(const TSoundEffect&) = delete;
  TSoundEffect& operator=(const TSoundEffect&) = delete;

  // Records file as the slot's file; in device mode loads it into the slot's device.
  // False when the slot is out of range or the file cannot be loaded (the slot then has
  // no file).
  bool Add(int slot, const std::string& file);
  // Plays the slot's sound; a slot without a file does nothing. In fallback mode only
  // slot 0 plays, and it replaces whatever the wave player was playing.
  void Play(int slot, bool loop);
  // Stops every device (fallback mode: the wave player).
  void StopAll();
  // Forgets the files of all slots.
  void Clear();
  // Stops whatever the wave player plays, in either mode.
  void StopWavePlayer();

  State state() const { return state_; }
  const std::string& file(int slot) const;
  // Volume in percent; played at volume * 40 - 4000 hundredths of a decibel.
  int volume = 80;
  int DeviceVolume() const { return volume * 40 - 4000; }

 private:
  State state_ = kConstructing;
  std::array<std::unique_ptr<SoundDevice>, kSlotCount> devices_;
  std::array<std::string, kSlotCount> files_;
  std::unique_ptr<WavePlayer> wavePlayer_;
};

}  // namespace tp
