#pragma once
// The one-channel wave player of fallback mode: each sound is loaded when it is played,
// and a new sound replaces the one playing.
#include <SDL_mixer.h>

#include <memory>
#include <string>

#include "platform/Audio.h"

namespace tp {

class SdlMixerSession;

class SdlWavePlayer : public WavePlayer {
 public:
  explicit SdlWavePlayer(std::shared_ptr<SdlMixerSession> session);
  ~SdlWavePlayer() override;

  // A file that cannot be loaded plays nothing (and still stops the sound playing).
  void Play(const std::string& path, bool loop) override;
  void Stop() override;

 private:
  std::shared_ptr<SdlMixerSession> session_;
  Mix_Chunk* chunk_ = nullptr;
};

}  // namespace tp
