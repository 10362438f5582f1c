#pragma once
// One open SDL2_mixer audio device, shared by every device made from it. It stays open
// until the system and the last device are gone.
#include <memory>
#include <mutex>
#include <vector>

namespace tp {

class SdlMixerSession {
 public:
  // Channels 0..7 belong to the sound devices, channel 8 to the wave player.
  static constexpr int kSoundChannels = 8;
  static constexpr int kWaveChannel = 8;

  // nullptr when SDL's audio subsystem or the device cannot be opened.
  static std::shared_ptr<SdlMixerSession> Open();
  ~SdlMixerSession();
  SdlMixerSession(const SdlMixerSession&) = delete;
  SdlMixerSession& operator=(const SdlMixerSession&) = delete;

  // A free sound channel, or -1 when all eight are taken.
  int TakeSoundChannel();
  void ReturnSoundChannel(int channel);

 private:
  SdlMixerSession() = default;
  std::mutex mutex_;
  std::vector<bool> channelTaken_ = std::vector<bool>(kSoundChannels, false);
};

// Mixer volume (0..128) for a volume in hundredths of a decibel (0 = full, negative quieter).
int MixVolumeFromHundredthsDb(int hundredthsDb);

}  // namespace tp
