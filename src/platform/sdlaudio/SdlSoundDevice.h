#pragma once
// A sound-effect device: one wave file loaded into a mixer chunk, played on a mixer channel
// of its own, so the eight devices of a picture sound together.
#include <SDL_mixer.h>

#include <memory>
#include <string>

#include "platform/Audio.h"

namespace tp {

class SdlMixerSession;

class SdlSoundDevice : public SoundDevice {
 public:
  SdlSoundDevice(std::shared_ptr<SdlMixerSession> session, int channel);
  ~SdlSoundDevice() override;

  bool Load(const std::string& path) override;
  void SetVolume(int hundredthsDb) override;
  void Play(bool loop) override;
  void Stop() override;

 private:
  void Release();

  std::shared_ptr<SdlMixerSession> session_;
  int channel_;
  Mix_Chunk* chunk_ = nullptr;
  int volume_ = MIX_MAX_VOLUME;
};

}  // namespace tp
