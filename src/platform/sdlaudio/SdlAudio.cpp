#include "platform/sdlaudio/SdlAudio.h"

#include "platform/sdlaudio/SdlMixerSession.h"
#include "platform/sdlaudio/SdlMusicDevice.h"
#include "platform/sdlaudio/SdlSoundDevice.h"
#include "platform/sdlaudio/SdlWavePlayer.h"

namespace tp {
namespace {

class SdlAudioSystem : public AudioSystem {
 public:
  explicit SdlAudioSystem(std::shared_ptr<SdlMixerSession> session) : session_(std::move(session)) {}

  std::unique_ptr<MusicDevice> CreateMusicDevice() override {
    return std::make_unique<SdlMusicDevice>(session_);
  }
  std::unique_ptr<SoundDevice> CreateSoundDevice() override {
    int channel = session_->TakeSoundChannel();
    if (channel < 0) return nullptr;
    return std::make_unique<SdlSoundDevice>(session_, channel);
  }
  std::unique_ptr<WavePlayer> CreateWavePlayer() override {
    return std::make_unique<SdlWavePlayer>(session_);
  }

 private:
  std::shared_ptr<SdlMixerSession> session_;
};

}  // namespace

std::unique_ptr<AudioSystem> CreateSdlAudioSystem() {
  auto session = SdlMixerSession::Open();
  if (!session) return nullptr;
  return std::make_unique<SdlAudioSystem>(std::move(session));
}

}  // namespace tp
